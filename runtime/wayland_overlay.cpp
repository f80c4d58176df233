// The overlay's surfaces, each a sub-surface of the one before: a root at
// Qt's surface's top-left that shows one transparent pixel; the colour, the
// middle pixel of three by three scaled to the rectangle by a viewport; the
// image. A sub-surface's place takes effect when its parent's state does,
// so the root, which never moves, lets our own commits place the colour:
// only the root waits for a commit of Qt's, to join the window. The root
// runs free of Qt's commits (desynchronised); the colour and image are
// synchronised with it, so that the root's commit changes colour, image and
// places together. And the root keeps its pixel when the rest is off
// screen: a sub-surface without a buffer leaves the compositor's scene, and
// weston 10 repaints for a commit only on the outputs the surface is on, so
// that one mapped again by its own commit would wait for something else to
// repaint.
//
// Qt binds its objects on the display's default queue and reads that on the
// GUI thread; ours are on it too, so their events come on the GUI thread.
//
// Made and joined to Qt's window in wayland_overlay_window.cpp.

#include "runtime/wayland_overlay.h"

#include "viewporter-client-protocol.h"

#include <QCoreApplication>
#include <QThread>
#include <cstdint>
#include <qpa/qplatformwindow.h>
#include <utility>
#include <wayland-client.h>

namespace rt {

namespace {

void setOpaque(wl_compositor* compositor, wl_surface* surface, const QSize& size)
{
    wl_region* region = wl_compositor_create_region(compositor);
    wl_region_add(region, 0, 0, size.width(), size.height());
    wl_surface_set_opaque_region(surface, region);
    wl_region_destroy(region);
}

} // namespace

// No colour, no image, once the root commits.
void WaylandOverlay::empty()
{
    wl_surface_attach(imageSurface_, nullptr, 0, 0);
    wl_surface_commit(imageSurface_);
    wl_surface_attach(colourSurface_, nullptr, 0, 0);
    wl_surface_commit(colourSurface_);
    sent_.image = nullptr;
    sent_.colour = QColor();
}

void WaylandOverlay::setColour(const QRect& area, const QColor& colour)
{
    area_ = area;
    colour_ = colour.toRgb();
}

QImage& WaylandOverlay::imageToPaint(const QSize& logicalSize)
{
    const qreal ratio = window_ ? window_->devicePixelRatio() : 1;
    const QSize pixels = (QSizeF(logicalSize) * ratio).toSize();
    painting_ = display_ && !pixels.isEmpty() ? imageBuffers_->take(pixels, image_, sent_.image) : nullptr;
    QImage& image = painting_ ? painting_->image : nowhere_;
    if (painting_)
        painting_->logicalSize = logicalSize;
    else
        image = QImage(pixels, QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    return image;
}

void WaylandOverlay::showImage(const QPoint& at)
{
    if (painting_)
        image_ = std::exchange(painting_, nullptr);
    imageAt_ = at;
    imageShown_ = image_ != nullptr;
}

void WaylandOverlay::hideImage() { imageShown_ = false; }

// Qt's content top-left in its surface is the decoration's inner corner;
// wl_surface coordinates are Qt's logical ones times QT_SCALE_FACTOR (the
// window's ratio over the platform window's, which is the compositor's
// buffer scale).
QRect WaylandOverlay::toSurface(const QRect& logical) const
{
    const QPlatformWindow* platform = window_ ? window_->handle() : nullptr;
    if (!platform)
        return {};
    const qreal scale = window_->devicePixelRatio() / platform->devicePixelRatio();
    const QPoint origin(platform->frameMargins().left(), platform->frameMargins().top());
    return QRect(origin + (QPointF(logical.topLeft()) * scale).toPoint(), (QSizeF(logical.size()) * scale).toSize());
}

void WaylandOverlay::commit()
{
    if (!rootRole_)
        return;
    Q_ASSERT(QThread::currentThread() == QCoreApplication::instance()->thread());
    if (synchronised_) {
        // Whatever hide waits in the cache is overtaken by this commit.
        wl_subsurface_set_desync(rootRole_);
        synchronised_ = false;
    }
    const QRect area = toSurface(area_);
    const bool coloured = !area.isEmpty() && colour_.isValid();

    // Children first: their state waits for their parent's commit.
    ShmBuffer* image = coloured && imageShown_ ? image_ : nullptr;
    if (image) {
        const QRect at = toSurface(QRect(imageAt_, image->logicalSize)).translated(-area.topLeft());
        if (at.topLeft() != sent_.imageAt)
            wl_subsurface_set_position(imageRole_, at.x(), at.y());
        if (at.size() != sent_.imageSize) {
            wp_viewport_set_destination(imageViewport_, at.width(), at.height());
            setOpaque(compositor_, imageSurface_, at.size());
        }
        if (image != sent_.image || at.size() != sent_.imageSize) {
            wl_surface_attach(imageSurface_, image->buffer, 0, 0);
            wl_surface_damage(imageSurface_, 0, 0, at.width(), at.height());
            image->busy = true;
            wl_surface_commit(imageSurface_);
        }
        sent_.imageAt = at.topLeft();
        sent_.imageSize = at.size();
        sent_.image = image;
    } else if (sent_.image) {
        wl_surface_attach(imageSurface_, nullptr, 0, 0);
        wl_surface_commit(imageSurface_);
        sent_.image = nullptr;
    }

    dropFrame();
    if (coloured) {
        if (area.topLeft() != sent_.colourAt)
            wl_subsurface_set_position(colourRole_, area.x(), area.y());
        const bool resized = area.size() != sent_.colourSize;
        if (resized) {
            wp_viewport_set_destination(colourViewport_, area.width(), area.height());
            setOpaque(compositor_, colourSurface_, area.size());
        }
        if (resized || colour_ != sent_.colour) {
            attachColour(colour_);
            wl_surface_damage(colourSurface_, 0, 0, area.width(), area.height());
        }
        // On the colour, which is on screen where anything of ours is.
        static constexpr wl_callback_listener kListener{&WaylandOverlay::frameDone};
        frame_ = wl_surface_frame(colourSurface_);
        wl_callback_add_listener(frame_, &kListener, this);
        sent_.colourAt = area.topLeft();
        sent_.colourSize = area.size();
        sent_.colour = colour_;
    } else if (sent_.colour.isValid()) {
        wl_surface_attach(colourSurface_, nullptr, 0, 0);
        sent_.colour = QColor();
    }
    wl_surface_commit(colourSurface_);
    wl_surface_commit(rootSurface_);
    wl_display_flush(display_);
}

// Three by three pixels of the colour, of which the viewport shows the
// middle one scaled to the rectangle: a compositor that scales with
// bilinear filtering and no padding at the buffer's edges (wlroots 0.18's
// software renderer) blends the edge pixels' colours, here the same one,
// where from one pixel alone it would fade the rectangle's edges to black.
// A buffer stays ours until the compositor gives it back.
void WaylandOverlay::attachColour(const QColor& colour)
{
    ShmBuffer* pixels = colourBuffers_->take(QSize(3, 3), nullptr, nullptr);
    if (!pixels)
        return;
    pixels->image.fill(colour);
    pixels->busy = true;
    wl_surface_attach(colourSurface_, pixels->buffer, 0, 0);
}

void WaylandOverlay::hideWithWindowsNextCommit()
{
    if (!rootRole_)
        return;
    if (!synchronised_) {
        wl_subsurface_set_sync(rootRole_);
        synchronised_ = true;
    }
    empty();
    wl_surface_commit(rootSurface_);
    dropFrame();
    wl_display_flush(display_);
}

void WaylandOverlay::dropFrame()
{
    if (frame_)
        wl_callback_destroy(frame_);
    frame_ = nullptr;
    frameDue_ = false;
}

// Events on the default queue are dispatched wherever Qt reads it, inside
// its own waits too (Qt 6.4's backing store waits so for a free buffer):
// the caller hears of the frame from the event loop.
void WaylandOverlay::frameDone(void* data, wl_callback* callback, uint32_t)
{
    auto* self = static_cast<WaylandOverlay*>(data);
    Q_ASSERT(QThread::currentThread() == QCoreApplication::instance()->thread());
    wl_callback_destroy(callback);
    self->frame_ = nullptr;
    self->frameDue_ = true;
    QMetaObject::invokeMethod(self->context(), [self] {
        if (!std::exchange(self->frameDue_, false))
            return;
        if (self->onFrame)
            self->onFrame();
    }, Qt::QueuedConnection);
}

} // namespace rt
