#include "runtime/clock.h"

namespace rt {

using std::chrono::nanoseconds;

QDateTime Clock::wallNow() const
{
    return wallAgo(pinned_ ? steady() - *pinned_ : nanoseconds(0));
}

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

QDateTime SystemClock::wallAgo(nanoseconds ago) const
{
    // Each reading of the local time sends the C library to the time zone
    // file on disk, and the clock is read 33 times a second. The offset from
    // UTC changes only on a whole second (the zone's next rule, or a zone the
    // user chose), so it is looked up once a second.
    const qint64 ms = QDateTime::currentMSecsSinceEpoch() - std::chrono::round<std::chrono::milliseconds>(ago).count();
    const qint64 second = ms / 1000 - (ms % 1000 < 0 ? 1 : 0);
    if (second != offsetSecond_) {
        offsetSecond_ = second;
        offset_ = QTimeZone(QDateTime::fromSecsSinceEpoch(second).offsetFromUtc());
    }
    // Past the offsets Qt takes (14 hours either way), only a made-up zone.
    if (!offset_.isValid())
        return QDateTime::fromMSecsSinceEpoch(ms);
    return QDateTime::fromMSecsSinceEpoch(ms, offset_);
}

nanoseconds SystemClock::steady() const
{
    return std::chrono::steady_clock::now().time_since_epoch();
}

ManualClock::ManualClock(QDateTime wallStart) : wallBase_(std::move(wallStart)) {}

QDateTime ManualClock::wallAgo(nanoseconds ago) const
{
    return wallBase_.addMSecs(std::chrono::floor<std::chrono::milliseconds>(steady_ - ago - steadyAtBase_).count());
}

void ManualClock::advance(nanoseconds by)
{
    steady_ += by;
}

void ManualClock::setWall(const QDateTime& wall)
{
    wallBase_ = wall;
    steadyAtBase_ = steady_;
}

} // namespace rt
