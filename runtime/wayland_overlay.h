#pragma once
// Under Wayland the compositor can draw a plain colour and a small image
// from buffers of a few bytes of our own: a frame in which only these
// change then costs Qt no repaint of its window, and the compositor no copy
// of it. Qt's window stays below, untouched, for when Qt paints again.

#include "runtime/wayland_globals.h"
#include "runtime/wayland_shm.h"

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QWindow>
#include <functional>
#include <memory>
#include <optional>

struct wl_buffer;
struct wl_callback;
struct wl_compositor;
struct wl_display;
struct wl_event_queue;
struct wl_subsurface;
struct wl_surface;
struct wp_viewport;

namespace rt {

// Surfaces of our own stacked above a Qt window's Wayland surface, drawn by
// the compositor: one plain colour over a rectangle of the window, and an
// opaque image above it. Input passes through them to the window.
class WaylandOverlay {
public:
    // Null where the window is not a Wayland window (or not created yet),
    // or the compositor lacks wl_subcompositor or wp_viewporter. Our
    // surfaces join the window when Qt next commits it, as the window's own
    // state is Qt's to apply: until then nothing shows and no frame comes,
    // so create it before Qt paints the window's first frame, or have Qt
    // repaint once after. Hidden and shown again, the window takes them
    // back by itself.
    static std::unique_ptr<WaylandOverlay> create(QWindow& window);
    ~WaylandOverlay();
    WaylandOverlay(const WaylandOverlay&) = delete;
    WaylandOverlay& operator=(const WaylandOverlay&) = delete;

    // The rectangle, in the QWindow's logical coordinates (its content's
    // top-left is 0,0, as QWidget::mapTo(window) gives), and its colour.
    void setColour(const QRect& area, const QColor& colour);
    // A buffer of the given logical size to paint the image into, opaque and
    // whole, at the window's device pixel ratio (set on the QImage); valid
    // until showImage. Then the image stands at `at` (logical) above the
    // colour. hideImage: no image.
    QImage& imageToPaint(const QSize& logicalSize);
    void showImage(const QPoint& at);
    void hideImage();
    // Shows what was set, at once (without waiting for Qt's next commit of
    // the window), and asks the compositor for a frame callback; nothing
    // shows for an empty rectangle or an invalid colour, and then no frame
    // is asked for. Does nothing while the window is hidden.
    void commit();
    // That frame callback came: the compositor showed the last commit.
    // Called from the event loop, never from inside a commit or from inside
    // Qt's own reading of the display.
    std::function<void()> onFrame;
    bool framePending() const { return frame_ || frameDue_; }
    // Off screen together with Qt's next commit of the window, not before,
    // so that a full repaint by Qt replaces the overlay in one frame. The
    // frame asked for by the last commit is not reported.
    void hideWithWindowsNextCommit();
    // The last commit showed the colour, and nothing hid it since.
    bool shown() const { return sent_.colour.isValid(); }

private:
    class Watcher;

    WaylandOverlay(QWindow& window, wl_display* display, wl_compositor* compositor, const WaylandGlobals& globals);
    void attach();
    void detach();
    void release();
    void attachColour(const QColor& colour);
    void empty();
    QRect toSurface(const QRect& logical) const;
    void dropFrame();
    static void frameDone(void* data, wl_callback* callback, uint32_t time);
    // For queued calls: lives as long as the overlay.
    QObject* context() const;

    QPointer<QWindow> window_;
    std::unique_ptr<Watcher> watcher_;
    // Null once released: the application is going, and the display with it.
    wl_display* display_;
    wl_compositor* compositor_;
    WaylandGlobals globals_;
    wl_surface* rootSurface_ = nullptr;
    wl_subsurface* rootRole_ = nullptr; // null while Qt's surface is not there
    wl_surface* colourSurface_ = nullptr;
    wp_viewport* colourViewport_ = nullptr;
    wl_subsurface* colourRole_ = nullptr;
    wl_surface* imageSurface_ = nullptr;
    wp_viewport* imageViewport_ = nullptr;
    wl_subsurface* imageRole_ = nullptr;
    std::optional<ShmPool> colourBuffers_;
    std::optional<ShmPool> imageBuffers_;
    std::unique_ptr<ShmBuffer> blankBuffer_; // the root's
    QImage nowhere_; // painted into when no buffer can be had
    wl_event_queue* releases_ = nullptr;
    wl_callback* frame_ = nullptr;
    bool frameDue_ = false;
    bool synchronised_ = false;

    // What was set,
    QRect area_;
    QColor colour_;
    ShmBuffer* painting_ = nullptr;
    ShmBuffer* image_ = nullptr;
    QPoint imageAt_;
    bool imageShown_ = false;
    // and what the compositor was sent, in wl_surface coordinates; the
    // colour is invalid while no colour buffer is on its surface.
    struct Sent {
        QPoint colourAt; // in Qt's surface, as in the root's
        QSize colourSize;
        QColor colour;
        QPoint imageAt; // in the colour's
        QSize imageSize;
        const ShmBuffer* image = nullptr;
    } sent_;
};

} // namespace rt
