#pragma once
// The window system shows the drawing surface in its plain colour, with
// the labels over it, where it can: Qt neither paints the surface nor hands
// a whole-window picture over at every frame of a colour that changes all
// at once. The picture is the same.

#include <QColor>

namespace rt {

class WindowFill {
public:
    virtual ~WindowFill() = default;

    // From the next frame on, the surface shows the colour all over, its
    // labels above it; false where Qt has to paint it after all.
    virtual bool fill(const QColor& colour) = 0;
    // From the next frame on, Qt paints the surface and its labels again.
    virtual void stop() = 0;
    // At each frame: shows the labels as they are now, over the colour.
    virtual void present() = 0;
    // The window system lost what was shown (X11 keeps no copy of a window
    // that another one covered): shown again at once.
    virtual void exposed() {}
};

} // namespace rt
