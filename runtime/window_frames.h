#pragma once
// The frames of one Qt window: the screen it is on gives the refresh rate,
// its exposure whether frames come at all, and the window system's own
// clock tells them.

#include "runtime/frame_clock.h"
#include "runtime/window_fill.h"

#include <QMetaObject>
#include <QObject>
#include <functional>
#include <memory>

class QScreen;
class QWidget;
class QWindow;

namespace rt {

class WindowFrames : public FrameClock {
public:
    ~WindowFrames() override;

    // The window system's clock for the window; null where it has none
    // (Qt's offscreen platform).
    static std::unique_ptr<WindowFrames> of(QWindow& window);

    // Frames come only while the window is seen: the window decides that
    // (Window::updateSeen), from Qt's exposure and visible().
    bool serves() const override { return seen_; }
    void setSeen(bool seen);
    double refreshRate() const override;
    // Whether the window system lets anyone see the window, where it says
    // more than Qt's exposure does.
    bool visible() const { return visible_; }
    std::function<void()> onVisibility;
    // Qt exposed the window again after it was not.
    virtual void exposedAgain() {}
    // The window system's own fill of the surface with its plain colour;
    // null where it has none.
    virtual std::unique_ptr<WindowFill> fill(QWidget&) { return nullptr; }

protected:
    explicit WindowFrames(QWindow& window);
    void changed();
    void setVisible(bool visible);

    QWindow& window_;

private:
    void follow(QScreen* screen);

    bool seen_ = false;
    bool visible_ = true;
    QObject context_;
    QMetaObject::Connection rateChanged_;
};

// The two kinds, for WindowFrames::of.
std::unique_ptr<WindowFrames> x11Frames(QWindow& window);
std::unique_ptr<WindowFrames> waylandFrames(QWindow& window);

} // namespace rt
