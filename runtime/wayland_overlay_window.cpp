// The overlay's life beside Qt's window: made where the compositor offers
// what it needs, joined to the window's surface each time Qt makes one and
// taken off it when Qt destroys it, released while the display is still
// there. Its scene and commits are in wayland_overlay.cpp.

#include "runtime/wayland_overlay.h"

#include "viewporter-client-protocol.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QPlatformSurfaceEvent>
#include <qpa/qplatformnativeinterface.h>
#include <wayland-client.h>

namespace rt {

// The window's surface comes and goes with its visibility; the display goes
// with the application.
class WaylandOverlay::Watcher final : public QObject {
public:
    explicit Watcher(WaylandOverlay& overlay) : overlay_(overlay) {}

private:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Hide
            || (event->type() == QEvent::PlatformSurface
                && static_cast<QPlatformSurfaceEvent*>(event)->surfaceEventType() == QPlatformSurfaceEvent::SurfaceAboutToBeDestroyed))
            overlay_.detach();
        // Before Qt paints what was exposed, so that its commit takes ours.
        else if (event->type() == QEvent::Expose)
            overlay_.attach();
        return false;
    }

    WaylandOverlay& overlay_;
};

std::unique_ptr<WaylandOverlay> WaylandOverlay::create(QWindow& window)
{
    QPlatformNativeInterface* native = QGuiApplication::platformNativeInterface();
    if (!QGuiApplication::platformName().startsWith(QLatin1String("wayland")) || !native || !window.handle())
        return nullptr;
    auto* display = static_cast<wl_display*>(native->nativeResourceForIntegration("wl_display"));
    auto* compositor = static_cast<wl_compositor*>(native->nativeResourceForIntegration("compositor"));
    if (!display || !compositor || !native->nativeResourceForWindow("surface", &window))
        return nullptr;

    WaylandGlobals globals;
    if (!globals.bind(display))
        return nullptr;
    return std::unique_ptr<WaylandOverlay>(new WaylandOverlay(window, display, compositor, globals));
}

WaylandOverlay::WaylandOverlay(QWindow& window, wl_display* display, wl_compositor* compositor, const WaylandGlobals& globals)
    : window_(&window), watcher_(std::make_unique<Watcher>(*this)), display_(display), compositor_(compositor), globals_(globals)
{
    // The compositor gives buffers back at every frame: those events wait
    // on a queue of our own, looked at when a buffer is wanted, instead of
    // waking the GUI thread (and Qt's reading thread again) each time.
    releases_ = wl_display_create_queue(display_);
    colourBuffers_.emplace(display_, globals_.shm, releases_);
    imageBuffers_.emplace(display_, globals_.shm, releases_);
    rootSurface_ = wl_compositor_create_surface(compositor_);
    colourSurface_ = wl_compositor_create_surface(compositor_);
    imageSurface_ = wl_compositor_create_surface(compositor_);
    colourViewport_ = wp_viewporter_get_viewport(globals_.viewporter, colourSurface_);
    // The colour's middle pixel of three by three (see attachColour).
    wp_viewport_set_source(colourViewport_, wl_fixed_from_int(1), wl_fixed_from_int(1), wl_fixed_from_int(1), wl_fixed_from_int(1));
    imageViewport_ = wp_viewporter_get_viewport(globals_.viewporter, imageSurface_);
    // Clicks go through to Qt's window.
    wl_region* nothing = wl_compositor_create_region(compositor_);
    for (wl_surface* surface : {rootSurface_, colourSurface_, imageSurface_})
        wl_surface_set_input_region(surface, nothing);
    wl_region_destroy(nothing);
    // A new sub-surface stands above its parent and its siblings, and is
    // synchronised.
    colourRole_ = wl_subcompositor_get_subsurface(globals_.subcompositor, colourSurface_, rootSurface_);
    imageRole_ = wl_subcompositor_get_subsurface(globals_.subcompositor, imageSurface_, colourSurface_);
    attach();
    window.installEventFilter(watcher_.get());
    QObject::connect(QCoreApplication::instance(), &QObject::destroyed, watcher_.get(), [this] { release(); });
}

QObject* WaylandOverlay::context() const { return watcher_.get(); }

WaylandOverlay::~WaylandOverlay()
{
    if (window_)
        window_->removeEventFilter(watcher_.get());
    release();
}

// Everything goes while the display is still there.
void WaylandOverlay::release()
{
    if (!display_)
        return;
    dropFrame();
    painting_ = image_ = nullptr;
    if (rootRole_)
        wl_subsurface_destroy(rootRole_);
    wl_subsurface_destroy(imageRole_);
    wl_subsurface_destroy(colourRole_);
    wp_viewport_destroy(imageViewport_);
    wp_viewport_destroy(colourViewport_);
    wl_surface_destroy(imageSurface_);
    wl_surface_destroy(colourSurface_);
    wl_surface_destroy(rootSurface_);
    rootRole_ = colourRole_ = imageRole_ = nullptr;
    colourViewport_ = imageViewport_ = nullptr;
    rootSurface_ = colourSurface_ = imageSurface_ = nullptr;
    imageBuffers_.reset();
    colourBuffers_.reset();
    blankBuffer_.reset();
    wl_event_queue_destroy(releases_);
    globals_.release();
    wl_display_flush(display_);
    display_ = nullptr;
}

// Onto the window's current surface, if it has one, with nothing shown;
// ours join it with Qt's next commit.
void WaylandOverlay::attach()
{
    if (!display_ || rootRole_ || !window_)
        return;
    auto* parent = static_cast<wl_surface*>(QGuiApplication::platformNativeInterface()->nativeResourceForWindow("surface", window_));
    if (!parent)
        return;
    rootRole_ = wl_subcompositor_get_subsurface(globals_.subcompositor, rootSurface_, parent);
    wl_subsurface_set_desync(rootRole_);
    synchronised_ = false;
    empty();
    // Never written again, so never waited for.
    if (!blankBuffer_)
        blankBuffer_ = ShmBuffer::make(globals_.shm, releases_, QSize(1, 1), false);
    wl_surface_attach(rootSurface_, blankBuffer_ ? blankBuffer_->buffer : nullptr, 0, 0);
    wl_surface_damage(rootSurface_, 0, 0, 1, 1);
    wl_surface_commit(rootSurface_);
    wl_display_flush(display_);
}

// Qt's surface is going or gone with the window's visibility: ours leave
// it and wait for the next.
void WaylandOverlay::detach()
{
    if (!rootRole_)
        return;
    dropFrame();
    wl_subsurface_destroy(rootRole_);
    rootRole_ = nullptr;
    sent_.colour = QColor();
}

} // namespace rt
