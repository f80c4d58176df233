#pragma once
// The clock: wall time for what the program shows and seeds, and a steady
// time line for the timers. Tests drive both by hand with ManualClock.

#include "runtime/calendar.h"

#include <QDateTime>
#include <QTimeZone>
#include <chrono>
#include <limits>
#include <optional>

namespace rt {

class Clock {
public:
    virtual ~Clock() = default;
    QDateTime wallNow() const;
    std::chrono::nanoseconds steadyNow() const { return pinned_ ? *pinned_ : steady(); }

    Date today() const;
    TimeOfDay timeOfDay() const;
    float secondsSinceMidnight() const;

    // While pinned, both lines read that moment of the steady line: a tick
    // delivered late sees the time of its own deadline.
    void pin(std::chrono::nanoseconds at) { pinned_ = at; }
    void unpin() { pinned_.reset(); }

protected:
    virtual std::chrono::nanoseconds steady() const = 0;
    // The wall time `ago` before now.
    virtual QDateTime wallAgo(std::chrono::nanoseconds ago) const = 0;

private:
    std::optional<std::chrono::nanoseconds> pinned_;
};

class SystemClock final : public Clock {
protected:
    std::chrono::nanoseconds steady() const override;
    QDateTime wallAgo(std::chrono::nanoseconds ago) const override;

private:
    // The local offset from UTC, and the UTC second it was read for.
    mutable QTimeZone offset_;
    mutable qint64 offsetSecond_ = std::numeric_limits<qint64>::min();
};

class ManualClock final : public Clock {
public:
    explicit ManualClock(QDateTime wallStart);

    // Time passes: both lines move together.
    void advance(std::chrono::nanoseconds by);
    // Somebody sets the system clock: only the wall time jumps.
    void setWall(const QDateTime& wall);

protected:
    std::chrono::nanoseconds steady() const override { return steady_; }
    QDateTime wallAgo(std::chrono::nanoseconds ago) const override;

private:
    // Wall time is derived from the steady line so that sub-millisecond
    // steps (a 15.625 ms tick) do not drift apart from it.
    QDateTime wallBase_;
    std::chrono::nanoseconds steadyAtBase_{0};
    std::chrono::nanoseconds steady_{0};
};

} // namespace rt
