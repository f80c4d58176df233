#include "runtime/clock.h"

namespace rt {

Date Clock::today() const
{
    const QDate d = wallNow().date();
    return {d.year(), d.month(), d.day()};
}

TimeOfDay Clock::timeOfDay() const
{
    const QTime t = wallNow().time();
    return {t.hour(), t.minute(), t.second(), t.msec()};
}

float Clock::secondsSinceMidnight() const
{
    return rt::secondsSinceMidnight(timeOfDay());
}

QDateTime SystemClock::wallNow() const
{
    return QDateTime::currentDateTime();
}

std::chrono::nanoseconds SystemClock::steadyNow() const
{
    return std::chrono::steady_clock::now().time_since_epoch();
}

ManualClock::ManualClock(QDateTime wallStart) : wallBase_(std::move(wallStart)) {}

QDateTime ManualClock::wallNow() const
{
    using std::chrono::duration_cast;
    using std::chrono::milliseconds;
    return wallBase_.addMSecs(duration_cast<milliseconds>(steady_ - steadyAtBase_).count());
}

void ManualClock::advance(std::chrono::nanoseconds by)
{
    steady_ += by;
}

void ManualClock::setWall(const QDateTime& wall)
{
    wallBase_ = wall;
    steadyAtBase_ = steady_;
}

} // namespace rt
