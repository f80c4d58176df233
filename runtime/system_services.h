#pragma once
// The services as the program runs them: the system clock, a generator
// seeded from the system, timers woken by the event loop, the user's
// locale, the desktop's settings portal, and an end that leaves the event
// loop with status 0. Made right after the application: the portal's
// answer comes while the window is built.

#include "runtime/services.h"
#include "runtime/settings_portal.h"

#include <QCoreApplication>

namespace rt {

struct SystemServices {
    SettingsPortal desktop;
    SystemClock clock;
    MersenneRandom random;
    TimerHub timers{clock, TimerHub::Drive::Realtime};
    LocaleText text;
    Services services{clock, random, timers, text, desktop, [] { QCoreApplication::exit(0); }};
};

} // namespace rt
