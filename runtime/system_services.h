#pragma once
// The services as the program runs them: the system clock, a generator
// seeded from the system, timers woken by the event loop, the user's
// locale, and an end that leaves the event loop with status 0.

#include "runtime/services.h"

#include <QCoreApplication>

namespace rt {

struct SystemServices {
    SystemClock clock;
    MersenneRandom random;
    TimerHub timers{clock, TimerHub::Drive::Realtime};
    LocaleText text;
    Services services{clock, random, timers, text, [] { QCoreApplication::exit(0); }};
};

} // namespace rt
