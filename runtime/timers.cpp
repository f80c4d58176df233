// The timers' deadlines, delivered by the event loop, and their catch-up
// while unseen; their ticks on the display's frames are the frame pacer's.

#include "runtime/timers.h"

#include <algorithm>
#include <cmath>

namespace rt {

using std::chrono::nanoseconds;

TimerHub::TimerHub(Clock& clock, Drive drive)
    : clock_(clock),
      drive_(drive),
      pacer_(clock, kShortestPeriod, [this](nanoseconds deadline) { aimFrameTimers(deadline); }, [this] { deliverDue(); },
             [this] { rearm(); })
{
    wake_.setSingleShot(true);
    wake_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&wake_, &QTimer::timeout, [this] { deliverDue(); });
}

void TimerHub::attach(Timer* timer)
{
    timers_.push_back(timer);
    rearm();
}

void TimerHub::detach(Timer* timer)
{
    std::erase(timers_, timer);
    rearm();
}

Timer* TimerHub::earliestEnabled() const
{
    Timer* earliest = nullptr;
    for (Timer* t : timers_) {
        if (t->enabled_ && (!earliest || t->nextDeadline() < earliest->nextDeadline()))
            earliest = t;
    }
    return earliest;
}

void TimerHub::deliverDue()
{
    if (!seen_) {
        catchUp();
        lastWake_ = clock_.steadyNow();
        rearm();
        return;
    }
    const nanoseconds now = clock_.steadyNow();
    // Each timer is visited once per call, so at most one tick of it is
    // delivered however late the call is.
    // The list's storage is kept between wakes: no allocation per tick. A
    // nested call (a handler running the event loop) starts with an empty one.
    std::vector<Timer*> due;
    due.swap(dueScratch_);
    due.clear();
    for (Timer* t : timers_) {
        if (t->enabled_ && t->nextDeadline() <= now)
            due.push_back(t);
    }
    std::stable_sort(due.begin(), due.end(),
                     [](const Timer* a, const Timer* b) { return a->nextDeadline() < b->nextDeadline(); });
    bool delivered = false, framed = false;
    for (Timer* t : due) {
        // A handler earlier in this round may have stopped everything,
        // disabled this timer or restarted it.
        if (stopped_ || !t->enabled_ || t->nextDeadline() > now)
            continue;
        if (t->followsFrames()) {
            // Due with no frame: the frames have stopped coming. The period
            // takes over until they come again.
            pacer_.dueWithoutFrame();
            framed = true;
        }
        delivered = true;
        const nanoseconds deadline = t->nextDeadline();
        t->ticksSinceStart_ = (now - t->start_) / t->period_ + 1;
        tick(*t, deadline);
    }
    dueScratch_.swap(due);
    if (framed)
        pacer_.ticked(now);
    if (delivered && (framed || !frameTimerRuns()) && !stopped_ && present)
        present();
    rearm();
}

void TimerHub::aimFrameTimers(nanoseconds deadline)
{
    for (Timer* t : timers_)
        if (t->followsFrames())
            t->aim(deadline);
}

bool TimerHub::frameTimerRuns() const
{
    return std::any_of(timers_.begin(), timers_.end(), [](const Timer* t) { return t->enabled_ && t->followsFrames(); });
}

void TimerHub::tick(Timer& timer, nanoseconds deadline)
{
    if (!afterTick) {
        timer.onTick_();
        return;
    }
    const nanoseconds entered = clock_.steadyNow();
    timer.onTick_();
    afterTick(timer, deadline, entered);
}

void TimerHub::catchUp()
{
    const nanoseconds now = clock_.steadyNow();
    // Ticks of longer ago than a wake's are let go, as after a stall: the
    // machine slept, or the program was stopped.
    const nanoseconds oldest = now - kLongestCatchUp;
    for (Timer* t : timers_) {
        if (t->enabled_ && t->nextDeadline() < oldest)
            t->ticksSinceStart_ = (oldest - t->start_ + t->period_ - nanoseconds(1)) / t->period_;
    }
    for (Timer* t = earliestEnabled(); t && !stopped_ && t->nextDeadline() <= now; t = earliestEnabled()) {
        const nanoseconds deadline = t->nextDeadline();
        clock_.pin(deadline);
        ++t->ticksSinceStart_;
        tick(*t, deadline);
    }
    clock_.unpin();
}

void TimerHub::setSeen(bool seen)
{
    if (seen == seen_)
        return;
    // The picture of the moment, before it is painted.
    if (seen)
        catchUp();
    seen_ = seen;
    lastWake_ = clock_.steadyNow();
    rearm();
}

std::optional<nanoseconds> TimerHub::nextDeadline() const
{
    const Timer* next = earliestEnabled();
    return next ? std::optional(next->nextDeadline()) : std::nullopt;
}

void TimerHub::stopAll()
{
    stopped_ = true;
    pacer_.stop();
    wake_.stop();
}

std::optional<nanoseconds> TimerHub::nextWake() const
{
    if (stopped_)
        return std::nullopt;
    std::optional<nanoseconds> wake;
    if (!seen_) {
        // Unseen: nothing to show, so the earliest deadline, at most once a second.
        const Timer* next = earliestEnabled();
        if (next)
            wake = std::max(next->nextDeadline(), lastWake_ + kUnseenWake);
        return wake;
    }
    for (const Timer* t : timers_) {
        if (!t->enabled_)
            continue;
        // A slower timer may wait up to one tick of the fastest ones past
        // its deadline (never until its next), so that it rides on their
        // wake or frame: one wake instead of two, same mean rate.
        const nanoseconds ride = pacer_.onFrames() ? pacer_.tickInterval() : kShortestPeriod;
        const nanoseconds slack = t->followsFrames() ? nanoseconds(0) : std::min(ride, t->period_ - nanoseconds(1));
        const nanoseconds latest = t->nextDeadline() + slack;
        if (!wake || latest < *wake)
            wake = latest;
    }
    return wake;
}

void TimerHub::rearm()
{
    if (drive_ != Drive::Realtime)
        return;
    const std::optional<nanoseconds> wake = nextWake();
    if (!wake) {
        wake_.stop();
        return;
    }
    // Qt's timers take whole milliseconds: wake at the first whole
    // millisecond at or after the chosen time and deliver what is due then.
    const double waitMs = std::ceil(std::chrono::duration<double, std::milli>(*wake - clock_.steadyNow()).count());
    wake_.start(std::max(0, static_cast<int>(waitMs)));
}

Timer::Timer(TimerHub& hub, double intervalMs, bool enabled, std::function<void()> onTick)
    : hub_(hub),
      intervalMs_(intervalMs),
      period_(std::max(TimerHub::kShortestPeriod,
                       nanoseconds(static_cast<std::int64_t>(std::llround(intervalMs * 1e6))))),
      enabled_(enabled),
      onTick_(std::move(onTick))
{
    restart();
    hub_.attach(this);
}

Timer::~Timer()
{
    hub_.detach(this);
}

void Timer::setEnabled(bool enabled)
{
    if (enabled == enabled_)
        return;
    enabled_ = enabled;
    if (enabled_)
        restart();
    hub_.rearm();
}

void Timer::restart()
{
    start_ = hub_.clock_.steadyNow();
    ticksSinceStart_ = 1;
    // On frames, the first tick comes with a frame.
    if (followsFrames() && hub_.pacer_.onFrames())
        aim(start_ + hub_.pacer_.watchdog());
}

void Timer::aim(nanoseconds deadline)
{
    start_ = deadline - period_;
    ticksSinceStart_ = 1;
}

} // namespace rt
