#pragma once
// What the handlers get from the runtime besides the window's controls:
// the clock, the random generator, the timers, the locale's texts, and the
// end of the program; and what the desktop says, for the window's start.

#include "runtime/clock.h"
#include "runtime/desktop.h"
#include "runtime/locale_text.h"
#include "runtime/random.h"
#include "runtime/timers.h"

#include <cmath>
#include <functional>

namespace rt {

struct Services {
    const Clock& clock;
    Random& random;
    TimerHub& timers;
    const LocaleText& text;
    Desktop& desktop;
    // Ends the program with status 0; the timers are stopped first.
    std::function<void()> quit;

    void end()
    {
        timers.stopAll();
        if (quit)
            quit();
    }
};

// The greatest whole number not above the value.
inline int floorToInt(double value)
{
    return static_cast<int>(std::floor(value));
}

} // namespace rt
