#include "app/form1.h"

// Keeps the time on the label running while it stands there, and reseeds
// the random generator every second.
void Form1::Timer2_Timer()
{
    const bool timeShown = test == 0;
    const bool timeOn = time1;
    if (timeShown && timeOn)
        Label1.setCaption(timeText());
    sys.random.reseed(sys.clock.secondsSinceMidnight());
}
