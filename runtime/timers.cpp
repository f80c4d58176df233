#include "runtime/timers.h"

#include <algorithm>
#include <cmath>

namespace rt {

using std::chrono::nanoseconds;

TimerHub::TimerHub(const Clock& clock, Drive drive) : clock_(clock), drive_(drive)
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
    for (Timer* t : due) {
        // A handler earlier in this round may have stopped everything,
        // disabled this timer or restarted it.
        if (stopped_ || !t->enabled_ || t->nextDeadline() > now)
            continue;
        const nanoseconds deadline = t->nextDeadline();
        t->ticksSinceStart_ = (now - t->start_) / t->period_ + 1;
        if (!afterTick) {
            t->onTick_();
            continue;
        }
        const nanoseconds entered = clock_.steadyNow();
        t->onTick_();
        afterTick(*t, deadline, entered);
    }
    dueScratch_.swap(due);
    rearm();
}

void TimerHub::advance(ManualClock& clock, nanoseconds by)
{
    const nanoseconds target = clock.steadyNow() + by;
    for (Timer* next = earliestEnabled(); next && !stopped_ && next->nextDeadline() <= target;
         next = earliestEnabled()) {
        clock.advance(next->nextDeadline() - clock.steadyNow());
        deliverDue();
    }
    clock.advance(target - clock.steadyNow());
}

void TimerHub::stopAll()
{
    stopped_ = true;
    wake_.stop();
}

std::optional<nanoseconds> TimerHub::nextWake() const
{
    if (stopped_)
        return std::nullopt;
    std::optional<nanoseconds> wake;
    for (const Timer* t : timers_) {
        if (!t->enabled_)
            continue;
        // A timer slower than the fastest rate may wait up to one shortest
        // period past its deadline, so that it rides on another timer's
        // wake: one wake and one repaint instead of two, same mean rate.
        const nanoseconds slack = t->period_ > kShortestPeriod ? kShortestPeriod : nanoseconds(0);
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
}

} // namespace rt
