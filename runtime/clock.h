#pragma once
// The clock: wall time for what the program shows and seeds, and a steady
// time line for the timers. Tests drive both by hand with ManualClock.

#include "runtime/calendar.h"

#include <QDateTime>
#include <QTimeZone>
#include <chrono>
#include <limits>

namespace rt {

class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime wallNow() const = 0;
    virtual std::chrono::nanoseconds steadyNow() const = 0;

    Date today() const;
    TimeOfDay timeOfDay() const;
    float secondsSinceMidnight() const;
};

class SystemClock final : public Clock {
public:
    QDateTime wallNow() const override;
    std::chrono::nanoseconds steadyNow() const override;

private:
    // The local offset from UTC, and the UTC second it was read for.
    mutable QTimeZone offset_;
    mutable qint64 offsetSecond_ = std::numeric_limits<qint64>::min();
};

class ManualClock final : public Clock {
public:
    explicit ManualClock(QDateTime wallStart);

    QDateTime wallNow() const override;
    std::chrono::nanoseconds steadyNow() const override { return steady_; }

    // Time passes: both lines move together.
    void advance(std::chrono::nanoseconds by);
    // Somebody sets the system clock: only the wall time jumps.
    void setWall(const QDateTime& wall);

private:
    // Wall time is derived from the steady line so that sub-millisecond
    // steps (a 15.625 ms tick) do not drift apart from it.
    QDateTime wallBase_;
    std::chrono::nanoseconds steadyAtBase_{0};
    std::chrono::nanoseconds steady_{0};
};

} // namespace rt
