#include "app/form1.h"
#include "confetti/pure_colours.h"

// A new pure text colour, drawn again until it differs from the label's
// background. Only the last pass is ever painted.
void Form1::Timer3_Timer()
{
    do {
        sys.random.reseed(sys.clock.secondsSinceMidnight());
        Label1.setForeColor(pureColour(pureColourIndex(sys.random.next())));
    } while (Label1.foreColor() == Label1.backColor());
}
