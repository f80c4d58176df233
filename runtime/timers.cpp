#include "runtime/timers.h"

#include <algorithm>
#include <cmath>

namespace rt {

using std::chrono::nanoseconds;

TimerHub::TimerHub(Clock& clock, Drive drive) : clock_(clock), drive_(drive)
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
            onFrames_ = onFrames_ && inFrame_;
            framed = true;
        }
        delivered = true;
        const nanoseconds deadline = t->nextDeadline();
        t->ticksSinceStart_ = (now - t->start_) / t->period_ + 1;
        tick(*t, deadline);
    }
    dueScratch_.swap(due);
    if (framed) {
        lastFrameTick_ = now;
        if (onFrames_)
            aimFrameTimers(now + watchdog());
    }
    if (delivered && (framed || !frameTimerRuns()) && !stopped_ && present)
        present();
    rearm();
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

void TimerHub::followFrames(FrameClock* frames)
{
    if (frames_) {
        frames_->onFrame = nullptr;
        frames_->onChange = nullptr;
    }
    frames_ = frames;
    asked_ = false;
    if (frames_) {
        frames_->onFrame = [this](int count) { frame(count); };
        frames_->onChange = [this] { framesChanged(); };
    }
    framesChanged();
}

void TimerHub::frame(int frames)
{
    if (stopped_ || !frames_ || !frames_->serves())
        return;
    asked_ = false;
    const nanoseconds now = clock_.steadyNow();
    // Frames back after the period ran the timers: this one ticks.
    framesSinceTick_ = onFrames_ ? framesSinceTick_ + frames : framesPerTick_;
    onFrames_ = true;
    if (framesSinceTick_ >= framesPerTick_) {
        framesSinceTick_ = 0;
        // Never two ticks in one frame, if the period ticked just now.
        aimFrameTimers(now - lastFrameTick_ >= tickInterval() / 2 ? now : lastFrameTick_ + watchdog());
    }
    // Asked first, so that the request goes out with the paint.
    askForFrame();
    inFrame_ = true;
    deliverDue();
    inFrame_ = false;
}

void TimerHub::framesChanged()
{
    const bool serves = frames_ && frames_->serves();
    const double rate = frames_ ? frames_->refreshRate() : 0;
    framesPerTick_ = framesPerTick(rate);
    // Unknown: a common display.
    tickInterval_ = nanoseconds(std::llround(1e9 * framesPerTick_ / (rate > 0 ? rate : 60)));
    if (!serves) {
        asked_ = false;
        // The period takes over from the last tick.
        if (onFrames_) {
            onFrames_ = false;
            aimFrameTimers(lastFrameTick_ + kShortestPeriod);
        }
    }
    askForFrame();
    rearm();
}

void TimerHub::askForFrame()
{
    if (stopped_ || asked_ || !frames_ || !frames_->serves())
        return;
    asked_ = true;
    frames_->request(std::max(1, framesPerTick_ - framesSinceTick_));
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

int TimerHub::framesPerTick(double refreshHz)
{
    const double rate = refreshHz > 0 ? refreshHz : 60;
    // The fewest frames that keep to 80 ticks a second, or one more if
    // that comes nearer 64.
    int n = std::max(1, static_cast<int>(std::ceil(rate / 80)));
    if (rate / n > 64 && std::abs(rate / (n + 1) - 64) < rate / n - 64)
        ++n;
    return n;
}

void TimerHub::advance(ManualClock& clock, nanoseconds by)
{
    const nanoseconds target = clock.steadyNow() + by;
    for (;;) {
        const Timer* next = earliestEnabled();
        const std::optional<nanoseconds> at = seen_ ? next ? std::optional(next->nextDeadline()) : std::nullopt : nextWake();
        if (!at || stopped_ || *at > target)
            break;
        clock.advance(*at - clock.steadyNow());
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
        const nanoseconds ride = onFrames_ ? tickInterval() : kShortestPeriod;
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
    if (followsFrames() && hub_.onFrames_)
        aim(start_ + hub_.watchdog());
}

void Timer::aim(nanoseconds deadline)
{
    start_ = deadline - period_;
    ticksSinceStart_ = 1;
}

} // namespace rt
