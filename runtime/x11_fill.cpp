#include "runtime/x11_fill.h"

#include "runtime/label_widget.h"

#include <QImage>
#include <QPainter>
#include <QRegion>
#include <QTimer>
#include <QWidget>
#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace rt {

namespace {

class X11Fill final : public WindowFill {
public:
    X11Fill(xcb_connection_t* connection, xcb_window_t window, QWidget& surface)
        : connection_(connection),
          window_(window),
          gc_(xcb_generate_id(connection)),
          surface_(surface),
          imageBytes_(xcb_get_maximum_request_length(connection) * 4 - sizeof(xcb_put_image_request_t))
    {
        const std::uint32_t noExposures = 0;
        xcb_create_gc(connection_, gc_, window_, XCB_GC_GRAPHICS_EXPOSURES, &noExposures);
    }

    ~X11Fill() override { xcb_free_gc(connection_, gc_); }

    bool fill(const QColor& colour) override
    {
        // Where a logical pixel is not a whole number of device pixels, the
        // edges could not meet Qt's exactly.
        const qreal ratio = surface_.devicePixelRatioF();
        if (ratio != std::round(ratio))
            return false;
        pixel_ = pixelOf(colour);
        filling_ = true;
        return true;
    }

    void stop() override { filling_ = false; }

    void present() override
    {
        if (!filling_)
            return;
        const int ratio = static_cast<int>(surface_.devicePixelRatioF());
        const QPoint origin = surface_.mapTo(surface_.window(), QPoint());
        // In the window's device pixels, clipped to the surface as Qt clips
        // its labels (one goes past the top edge as it turns there): the
        // surface in its colour, but where the labels' texts stand, and
        // where a label's background is not that colour; that background;
        // then each text, as Qt would paint it.
        const QRect all = device(QRect(origin, surface_.size()), ratio);
        const xcb_rectangle_t clip = rectangle(all);
        xcb_set_clip_rectangles(connection_, XCB_CLIP_ORDERING_UNSORTED, gc_, 0, 0, 1, &clip);
        QRegion area(all);
        const auto labels = surface_.findChildren<LabelWidget*>(Qt::FindDirectChildrenOnly);
        for (LabelWidget* label : labels)
            if (label->isVisible())
                area -= pixelOf(label->background()) == pixel_ ? textOf(*label, origin, ratio) : box(*label, origin, ratio);
        fillRegion(area, pixel_);
        for (LabelWidget* label : labels) {
            if (!label->isVisible())
                continue;
            if (pixelOf(label->background()) != pixel_)
                fillRegion(QRegion(box(*label, origin, ratio)) - textOf(*label, origin, ratio), pixelOf(label->background()));
            put(*label, origin + label->pos(), ratio);
        }
        xcb_flush(connection_);
    }

    void exposed() override
    {
        // After Qt has handed its stale picture of the surface over.
        if (filling_)
            QTimer::singleShot(0, &surface_, [this] { present(); });
    }

private:
    static std::uint32_t pixelOf(const QColor& colour) { return colour.rgb() & 0xffffffu; }
    static QRect device(const QRect& r, int ratio) { return QRect(r.topLeft() * ratio, r.size() * ratio); }
    // A label's box and its text's, in the window's device pixels.
    static QRect box(const LabelWidget& label, QPoint origin, int ratio) { return device(label.geometry().translated(origin), ratio); }
    static QRect textOf(LabelWidget& label, QPoint origin, int ratio)
    {
        return device(label.textBounds(ratio).translated(origin + label.pos()), ratio);
    }

    static xcb_rectangle_t rectangle(const QRect& r)
    {
        return {static_cast<std::int16_t>(r.x()), static_cast<std::int16_t>(r.y()), static_cast<std::uint16_t>(r.width()),
                static_cast<std::uint16_t>(r.height())};
    }

    void fillRegion(const QRegion& region, std::uint32_t pixel)
    {
        if (region.isEmpty())
            return;
        rects_.clear();
        for (const QRect& r : region)
            rects_.push_back(rectangle(r));
        xcb_change_gc(connection_, gc_, XCB_GC_FOREGROUND, &pixel);
        xcb_poly_fill_rectangle(connection_, window_, gc_, static_cast<std::uint32_t>(rects_.size()), rects_.data());
    }

    // The label's text as Qt paints it over its background, at `at`
    // (logical, in the window).
    void put(LabelWidget& label, QPoint at, int ratio)
    {
        const QRect text = label.textBounds(ratio);
        if (text.isEmpty())
            return;
        if (picture_.size() != text.size() * ratio) {
            picture_ = QImage(text.size() * ratio, QImage::Format_RGB32);
            picture_.setDevicePixelRatio(ratio);
        }
        QPainter p(&picture_);
        p.translate(-text.topLeft());
        label.drawOn(p);
        p.end();
        const QPoint to = (at + text.topLeft()) * ratio;
        // In strips of whole rows, each within the server's largest request
        // (the core protocol's 256 KB where BIG-REQUESTS is off).
        const int stride = static_cast<int>(picture_.bytesPerLine());
        const int rows = std::max(1, static_cast<int>(imageBytes_ / static_cast<std::uint32_t>(stride)));
        for (int y = 0; y < picture_.height(); y += rows) {
            const int strip = std::min(rows, picture_.height() - y);
            xcb_put_image(connection_, XCB_IMAGE_FORMAT_Z_PIXMAP, window_, gc_, static_cast<std::uint16_t>(picture_.width()),
                          static_cast<std::uint16_t>(strip), static_cast<std::int16_t>(to.x()), static_cast<std::int16_t>(to.y() + y),
                          0, 24, static_cast<std::uint32_t>(strip * stride), picture_.constScanLine(y));
        }
    }

    xcb_connection_t* connection_;
    xcb_window_t window_;
    xcb_gcontext_t gc_;
    QWidget& surface_;
    // The most image bytes one request takes.
    std::uint32_t imageBytes_;
    std::uint32_t pixel_ = 0;
    bool filling_ = false;
    std::vector<xcb_rectangle_t> rects_;
    QImage picture_;
};

// Whether the window's visual is true colour of depth 24 with red, green
// and blue in the low 24 bits of a 32-bit pixel in this machine's byte
// order: the fill's pixel value and a QImage's words as they are.
bool plainRgb(xcb_connection_t* connection, xcb_window_t window)
{
    const xcb_setup_t* setup = xcb_get_setup(connection);
    const auto ours = QSysInfo::ByteOrder == QSysInfo::LittleEndian ? XCB_IMAGE_ORDER_LSB_FIRST : XCB_IMAGE_ORDER_MSB_FIRST;
    if (setup->image_byte_order != ours)
        return false;
    bool words = false;
    for (auto format = xcb_setup_pixmap_formats_iterator(setup); format.rem; xcb_format_next(&format))
        if (format.data->depth == 24)
            words = format.data->bits_per_pixel == 32 && format.data->scanline_pad == 32;
    auto* attributes = xcb_get_window_attributes_reply(connection, xcb_get_window_attributes(connection, window), nullptr);
    if (!words || !attributes)
        return std::free(attributes), false;
    const xcb_visualid_t visual = attributes->visual;
    std::free(attributes);
    for (auto screen = xcb_setup_roots_iterator(setup); screen.rem; xcb_screen_next(&screen))
        for (auto depth = xcb_screen_allowed_depths_iterator(screen.data); depth.rem; xcb_depth_next(&depth))
            for (auto type = xcb_depth_visuals_iterator(depth.data); type.rem; xcb_visualtype_next(&type))
                if (type.data->visual_id == visual)
                    return depth.data->depth == 24 && type.data->_class == XCB_VISUAL_CLASS_TRUE_COLOR &&
                           type.data->red_mask == 0xff0000 && type.data->green_mask == 0xff00 && type.data->blue_mask == 0xff;
    return false;
}

} // namespace

std::unique_ptr<WindowFill> x11Fill(xcb_connection_t* connection, xcb_window_t window, QWidget& surface)
{
    if (!plainRgb(connection, window))
        return nullptr;
    return std::make_unique<X11Fill>(connection, window, surface);
}

} // namespace rt
