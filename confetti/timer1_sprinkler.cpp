#include "app/form1.h"
#include "confetti/pure_colours.h"

namespace {

constexpr double kAreaWidth = 9600;    // twips
constexpr double kAreaHeight = 6700;
constexpr float kSide = 50;

} // namespace

// One square of a random pure colour at a random place.
void Form1::Timer1_Timer()
{
    sys.random.reseed(sys.clock.secondsSinceMidnight());
    const rt::Colour colour = pureColour(pureColourIndex(sys.random.next()));
    const float left = static_cast<float>(rt::floorToInt(sys.random.next() * kAreaWidth));
    const float top = static_cast<float>(rt::floorToInt(sys.random.next() * kAreaHeight));
    form.fillBox(left, top, left + kSide, top + kSide, colour);
}
