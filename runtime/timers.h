#pragma once
// Periodic timers. Deadlines are kept from each timer's start, so the mean
// rate is exact; a late wake delivers one tick and skips the missed ones,
// so a stall never turns into a burst; no timer ticks more often than 64
// times a second. A timer held at that rate ticks on the display's frames
// instead while they come, once per frame, or per n-th frame on a fast
// display, and after each such tick the window shows what the handlers
// changed, in one paint.

#include "runtime/clock.h"
#include "runtime/frame_clock.h"
#include "runtime/frame_pacer.h"

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
    // While unseen, the longest sleep; and how far back a wake catches up
    // (further back, the machine or the program stood still: a stall).
    static constexpr std::chrono::nanoseconds kUnseenWake{1'000'000'000};
    static constexpr std::chrono::nanoseconds kLongestCatchUp{3 * kUnseenWake};

    TimerHub(Clock& clock, Drive drive);
    TimerHub(const TimerHub&) = delete;
    TimerHub& operator=(const TimerHub&) = delete;

    // Delivers one tick to each enabled timer whose deadline has come,
    // earliest deadline first; while unseen, every tick due.
    void deliverDue();
    // The earliest deadline of the enabled timers; none when none runs.
    std::optional<std::chrono::nanoseconds> nextDeadline() const;

    // Whether anyone sees the window the handlers draw on. While nobody
    // does, ticks are delivered late, in deadline order, each with the clock
    // pinned at its deadline, so that the state is as if each had come on
    // time. Seen again, they catch up to now at once, before any paint.
    void setSeen(bool seen);
    bool seen() const { return seen_; }
    // When the event loop should next deliver what is due; none when no
    // timer runs.
    std::optional<std::chrono::nanoseconds> nextWake() const;
    // No tick is delivered from now on.
    void stopAll();
    bool stopped() const { return stopped_; }

    // The timers held at the shortest period tick on these frames while
    // they come (none: on their period). When none has come for three
    // ticks' time, the period takes over until they come again.
    void followFrames(FrameClock* frames) { pacer_.follow(frames); }
    bool onFrames() const { return pacer_.onFrames(); }
    // Called after each round of ticks in which a frame timer ticked (each
    // round, while none runs): the window shows what changed.
    std::function<void()> present;

    // Called after each delivered tick with its deadline and the time its
    // handler was entered; for measuring, unset in the program.
    std::function<void(const Timer& timer, std::chrono::nanoseconds due, std::chrono::nanoseconds entered)> afterTick;

private:
    friend class Timer;
    void attach(Timer* timer);
    void detach(Timer* timer);
    Timer* earliestEnabled() const;
    void rearm();
    // Every tick due, each at its deadline.
    void catchUp();
    void tick(Timer& timer, std::chrono::nanoseconds deadline);
    // All the frame timers' next deadline.
    void aimFrameTimers(std::chrono::nanoseconds deadline);
    bool frameTimerRuns() const;

    Clock& clock_;
    Drive drive_;
    bool stopped_ = false;
    bool seen_ = true;
    std::chrono::nanoseconds lastWake_{0};
    std::vector<Timer*> timers_;
    std::vector<Timer*> dueScratch_;
    QTimer wake_;
    FramePacer pacer_;
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
    // Held at the shortest period: it ticks on the display's frames.
    bool followsFrames() const { return period_ == TimerHub::kShortestPeriod; }

private:
    friend class TimerHub;
    void restart();
    // The next tick at `deadline`, the period on from there.
    void aim(std::chrono::nanoseconds deadline);

    TimerHub& hub_;
    double intervalMs_;
    std::chrono::nanoseconds period_;
    bool enabled_ = false;
    std::chrono::nanoseconds start_{0};
    std::int64_t ticksSinceStart_ = 1;
    std::function<void()> onTick_;
};

} // namespace rt
