#include "app/form1.h"
#include "confetti/strokes.h"

namespace {

constexpr float kSide = 50;
constexpr rt::Colour kRed = rt::rgb(255, 0, 0);

} // namespace

// One red square in the stroke that the counters point at, then both
// counters step on: over 28 ticks every stroke gets one square.
void Form1::Timer6_Timer()
{
    if (const Stroke* stroke = findStroke(num1, num)) {
        const float top = stroke->yOffset + rt::floorToInt(sys.random.next() * static_cast<double>(stroke->ySpan));
        const float left = stroke->xOffset + rt::floorToInt(sys.random.next() * static_cast<double>(stroke->xSpan));
        form.fillBox(left, top, left + kSide, top + kSide, kRed);
    }
    // Stepped in int, so that a counter at the top of its range wraps to 1
    // like any other value past the end instead of overflowing.
    const int nextLetter = num1 + 1;
    const int nextStroke = num + 1;
    num1 = static_cast<std::int16_t>(nextLetter > 7 ? 1 : nextLetter);
    num = static_cast<std::int16_t>(nextStroke > 4 ? 1 : nextStroke);
}
