#pragma once
// The frame timers' ticks on the display's frames: which frames tick (each
// n-th on a fast display), the next frame asked for, and the period taking
// over while frames stop coming. The deadlines are the timer hub's: the
// pacer aims them and has the hub deliver.

#include "runtime/clock.h"
#include "runtime/frame_clock.h"

#include <chrono>
#include <functional>
#include <limits>

namespace rt {

class FramePacer {
public:
    // Frames of a display refreshing so many times a second that make one
    // tick: the rate nearest 64 a second, never over 80.
    static int framesPerTick(double refreshHz);

    // `aim` sets the frame timers' next deadline; `deliver` ticks what is
    // due; `rearm` has the hub choose its next wake again. Until frames
    // come, the timers tick on `period`.
    FramePacer(Clock& clock, std::chrono::nanoseconds period, std::function<void(std::chrono::nanoseconds)> aim,
               std::function<void()> deliver, std::function<void()> rearm);
    FramePacer(const FramePacer&) = delete;
    FramePacer& operator=(const FramePacer&) = delete;

    // These frames from now on (none: the period).
    void follow(FrameClock* frames);
    // No frame is asked for from now on.
    void stop() { stopped_ = true; }
    // Whether the frame timers tick on frames now.
    bool onFrames() const { return onFrames_; }
    // The time between two ticks on frames, and how long the period waits
    // for a frame before it ticks instead.
    std::chrono::nanoseconds tickInterval() const { return tickInterval_; }
    std::chrono::nanoseconds watchdog() const { return 3 * tickInterval_; }

    // A frame timer is due in the round being delivered: with no frame
    // being told, the frames have stopped coming.
    void dueWithoutFrame() { onFrames_ = onFrames_ && inFrame_; }
    // The frame timers ticked at `now`.
    void ticked(std::chrono::nanoseconds now);

private:
    void frame(int frames);
    void framesChanged();
    void askForFrame();

    Clock& clock_;
    std::chrono::nanoseconds period_;
    std::function<void(std::chrono::nanoseconds)> aim_;
    std::function<void()> deliver_;
    std::function<void()> rearm_;
    FrameClock* frames_ = nullptr;
    bool stopped_ = false;
    bool onFrames_ = false;
    bool inFrame_ = false;
    bool asked_ = false;
    int framesPerTick_ = 1;
    std::chrono::nanoseconds tickInterval_;
    int framesSinceTick_ = 0;
    std::chrono::nanoseconds lastTick_{std::numeric_limits<std::int64_t>::min() / 2};
};

} // namespace rt
