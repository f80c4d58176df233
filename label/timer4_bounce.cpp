#include "app/form1.h"
#include "label/directions.h"

namespace {

constexpr float kStep = 75;          // twips per tick on each axis
constexpr float kTopLimit = 0;
constexpr float kBottomLimit = 5500;
constexpr float kLeftLimit = 0;
constexpr float kRightLimit = 4500;
constexpr int kFadeStep = 5;
constexpr int kLevelLow = 0;
constexpr int kLevelHigh = 255;

} // namespace

// Moves the label one diagonal step, turning at the limits; steps the
// background fade; and gives the window the fade colour in the Vantrel
// effect.
void Form1::Timer4_Timer()
{
    if (ver == kUp)
        Label1.setTop(Label1.top() - kStep);
    else if (ver == kDown)
        Label1.setTop(Label1.top() + kStep);
    if (hor == kLeft)
        Label1.setLeft(Label1.left() - kStep);
    else if (hor == kRight)
        Label1.setLeft(Label1.left() + kStep);

    if (Label1.top() <= kTopLimit)
        ver = kDown;
    if (Label1.top() >= kBottomLimit)
        ver = kUp;
    if (Label1.left() <= kLeftLimit)
        hor = kRight;
    if (Label1.left() >= kRightLimit)
        hor = kLeft;

    const int step = dir == 1 ? kFadeStep : -kFadeStep;
    if (test1 == 1) {
        x += step;
        if (x >= kLevelHigh || x <= kLevelLow)
            test1 = 2;
    } else if (test1 == 2) {
        y += step;
        if (y >= kLevelHigh || y <= kLevelLow)
            test1 = 3;
    } else if (test1 == 3) {
        z += step;
        if (z >= kLevelHigh) {
            dir = 2;
            test1 = 1;
        }
        if (z <= kLevelLow) {
            dir = 1;
            test1 = 1;
        }
    }

    const rt::Colour fade = rt::rgb(x, y, z);
    Label1.setBackColor(fade);
    if (vantrel.checked())
        form.setBackColor(fade);
}
