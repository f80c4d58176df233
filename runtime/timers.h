#pragma once
// Periodic timers. Deadlines are kept from each timer's start, so the mean
// rate is exact; a late wake delivers one tick and skips the missed ones,
// so a stall never turns into a burst; no timer ticks more often than 64
// times a second.

#include "runtime/clock.h"

#include <QTimer>
#include <chrono>
#include <functional>
#include <optional>
#include <vector>

namespace rt {

class Timer;

class TimerHub {
public:
    enum class Drive {
        Realtime,   // woken by the event loop
        Manual,     // ticks only when a test delivers them
    };

    // 15.625 ms: 64 ticks a second.
    static constexpr std::chrono::nanoseconds kShortestPeriod{15'625'000};

    TimerHub(const Clock& clock, Drive drive);
    TimerHub(const TimerHub&) = delete;
    TimerHub& operator=(const TimerHub&) = delete;

    // Delivers one tick to each enabled timer whose deadline has come,
    // earliest deadline first.
    void deliverDue();
    // Manual drive: lets time run on a ManualClock to `by` later, delivering
    // every tick on its deadline on the way.
    void advance(ManualClock& clock, std::chrono::nanoseconds by);
    // When the event loop should next deliver what is due; none when no
    // timer runs.
    std::optional<std::chrono::nanoseconds> nextWake() const;
    // No tick is delivered from now on.
    void stopAll();
    bool stopped() const { return stopped_; }

    // Called after each delivered tick with its deadline and the time its
    // handler was entered; for measuring, unset in the program.
    std::function<void(const Timer& timer, std::chrono::nanoseconds due, std::chrono::nanoseconds entered)> afterTick;

private:
    friend class Timer;
    void attach(Timer* timer);
    void detach(Timer* timer);
    Timer* earliestEnabled() const;
    void rearm();

    const Clock& clock_;
    Drive drive_;
    bool stopped_ = false;
    std::vector<Timer*> timers_;
    std::vector<Timer*> dueScratch_;
    QTimer wake_;
};

class Timer {
public:
    Timer(TimerHub& hub, double intervalMs, bool enabled, std::function<void()> onTick);
    ~Timer();
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

    bool enabled() const { return enabled_; }
    // Enabling a running timer leaves its period running on; disabling
    // drops a tick that is already due.
    void setEnabled(bool enabled);

    double interval() const { return intervalMs_; }
    // The interval as held: never shorter than TimerHub::kShortestPeriod.
    std::chrono::nanoseconds period() const { return period_; }
    std::chrono::nanoseconds nextDeadline() const { return start_ + ticksSinceStart_ * period_; }

private:
    friend class TimerHub;
    void restart();

    TimerHub& hub_;
    double intervalMs_;
    std::chrono::nanoseconds period_;
    bool enabled_ = false;
    std::chrono::nanoseconds start_{0};
    std::int64_t ticksSinceStart_ = 1;
    std::function<void()> onTick_;
};

} // namespace rt
