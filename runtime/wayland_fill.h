#pragma once
// Wayland: the compositor shows the surface's colour and its label from
// surfaces of the program's own above the window's (a one-pixel buffer
// stretched over the surface, and the label's picture), so that a frame
// of the Vantrel effect commits nothing of Qt's window.

#include "runtime/wayland_overlay.h"
#include "runtime/window_fill.h"

#include <functional>
#include <memory>

class QWidget;

namespace rt {

class WaylandFill final : public WindowFill {
public:
    WaylandFill(std::unique_ptr<WaylandOverlay> overlay, QWidget& surface);
    ~WaylandFill() override;

    bool fill(const QColor& colour) override;
    void stop() override;
    void present() override;

    // Whether the overlay shows the surface now: the frames come from it.
    bool shows() const { return filling_; }
    WaylandOverlay& overlay() { return *overlay_; }
    // shows() changed; and the fill goes.
    std::function<void()> onShows;
    std::function<void()> onGone;

private:
    std::unique_ptr<WaylandOverlay> overlay_;
    QWidget& surface_;
    QColor colour_;
    bool filling_ = false;
};

} // namespace rt
