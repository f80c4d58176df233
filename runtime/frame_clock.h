#pragma once
// The display's frames, as the window system tells them: the X server's
// vblanks (Present), a Wayland compositor's frame callbacks. The timers
// follow them (TimerHub::followFrames).

#include <functional>

namespace rt {

class FrameClock {
public:
    virtual ~FrameClock() = default;

    // Asks for the frame `frames` frames after the last one told; a clock
    // may tell each frame on the way.
    virtual void request(int frames) = 0;
    // Whether frames come now: a window nobody sees gets none.
    virtual bool serves() const = 0;
    // Of the screen the window is on, in Hz; 0 if unknown.
    virtual double refreshRate() const = 0;

    // A frame has come; `frames` counts those since the last one told.
    std::function<void(int frames)> onFrame;
    // serves() or the refresh rate changed.
    std::function<void()> onChange;
};

} // namespace rt
