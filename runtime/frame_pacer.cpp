#include "runtime/frame_pacer.h"

#include <algorithm>
#include <cmath>

namespace rt {

using std::chrono::nanoseconds;

FramePacer::FramePacer(Clock& clock, nanoseconds period, std::function<void(nanoseconds)> aim, std::function<void()> deliver,
                       std::function<void()> rearm)
    : clock_(clock), period_(period), aim_(std::move(aim)), deliver_(std::move(deliver)), rearm_(std::move(rearm)), tickInterval_(period)
{
}

void FramePacer::follow(FrameClock* frames)
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

void FramePacer::ticked(nanoseconds now)
{
    lastTick_ = now;
    if (onFrames_)
        aim_(now + watchdog());
}

void FramePacer::frame(int frames)
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
        aim_(now - lastTick_ >= tickInterval() / 2 ? now : lastTick_ + watchdog());
    }
    // Asked first, so that the request goes out with the paint.
    askForFrame();
    inFrame_ = true;
    deliver_();
    inFrame_ = false;
}

void FramePacer::framesChanged()
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
            aim_(lastTick_ + period_);
        }
    }
    askForFrame();
    rearm_();
}

void FramePacer::askForFrame()
{
    if (stopped_ || asked_ || !frames_ || !frames_->serves())
        return;
    asked_ = true;
    // The first frame asked for (at the start, or shown again): the timers
    // wait for it, the period only if it is late, so that no paint goes
    // before it that the display would never show. Under Wayland each such
    // paint would take one more of the window's buffers for good.
    if (!onFrames_)
        aim_(clock_.steadyNow() + watchdog());
    frames_->request(std::max(1, framesPerTick_ - framesSinceTick_));
}

int FramePacer::framesPerTick(double refreshHz)
{
    const double rate = refreshHz > 0 ? refreshHz : 60;
    // The fewest frames that keep to 80 ticks a second, or one more if
    // that comes nearer 64.
    int n = std::max(1, static_cast<int>(std::ceil(rate / 80)));
    if (rate / n > 64 && std::abs(rate / (n + 1) - 64) < rate / n - 64)
        ++n;
    return n;
}

} // namespace rt
