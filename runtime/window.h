#pragma once
// The main window: title, menu bar, drawing surface, and the key and mouse
// events of its client area.

#include "runtime/colour.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QMainWindow;

namespace rt {

class Desktop;
class SurfaceWidget;
class TimerHub;
class WindowFill;
class WindowFrames;

struct WindowDefinition {
    std::string caption;
    float clientWidth = 0;    // twips, when not maximised
    float clientHeight = 0;
};

class Window {
public:
    explicit Window(const WindowDefinition& definition);
    ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    // Fills the box between two opposite corners, in twips.
    void fillBox(float x1, float y1, float x2, float y2, Colour colour);
    // The whole client area shows the colour; everything drawn is wiped.
    void setBackColor(Colour colour);
    Colour backColor() const;

    // Shown in the colour the desktop's preference asks for.
    void showMaximized(Desktop& desktop);
    // From now on the window's frames drive the timers (where the window
    // system has a frame clock), and what the handlers change is shown
    // after their frame timers' ticks, in one paint.
    void pace(TimerHub& timers);
    // Whether anyone can see the window: while nobody can, nothing is drawn
    // on screen, though the surface and the controls keep their state.
    bool seen() const { return seen_; }
    // Called when the window is seen again, before it is painted.
    void whenSeen(std::function<void()> catchUp);
    // Closes the window; no event of it is delivered afterwards.
    void unload();
    bool unloaded() const { return unloaded_; }

    // A key that produces a character: its code.
    std::function<void(std::int16_t& keyAscii)> onKeyPress;
    // A press of a mouse button on the client area outside the label:
    // button (1 left, 2 right, 4 middle), modifiers (1 Shift, 2 Ctrl,
    // 4 Alt) and the place in twips.
    std::function<void(std::int16_t& button, std::int16_t& shift, float& x, float& y)> onMouseDown;
    // The window system closed the window.
    std::function<void()> onClosed;

    QMainWindow* widget() const;
    SurfaceWidget* surface() const { return surface_; }

private:
    class Frame;
    void setExposed(bool exposed);
    // Seen: exposed, and not hidden in a way only the window system knows
    // (covered whole, or on a workspace not shown).
    void updateSeen();
    // Paints what changed since the last time, and hands it to the window
    // system at once.
    void present();

    std::unique_ptr<Frame> frame_;
    std::unique_ptr<WindowFrames> frames_;
    std::unique_ptr<WindowFill> fill_;
    TimerHub* paced_ = nullptr;
    SurfaceWidget* surface_;
    bool unloaded_ = false;
    bool exposed_ = false;
    bool seen_ = false;
    std::vector<std::function<void()>> catchUps_;
};

} // namespace rt
