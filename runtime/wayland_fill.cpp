#include "runtime/wayland_fill.h"

#include "runtime/label_widget.h"

#include <QPainter>
#include <QWidget>

namespace rt {

WaylandFill::WaylandFill(std::unique_ptr<WaylandOverlay> overlay, QWidget& surface) : overlay_(std::move(overlay)), surface_(surface) {}

WaylandFill::~WaylandFill()
{
    if (onGone)
        onGone();
}

bool WaylandFill::fill(const QColor& colour)
{
    // One picture above the colour: one label.
    if (surface_.findChildren<LabelWidget*>(Qt::FindDirectChildrenOnly).size() > 1)
        return false;
    colour_ = colour;
    if (!filling_) {
        filling_ = true;
        if (onShows)
            onShows();
    }
    return true;
}

void WaylandFill::stop()
{
    if (!filling_)
        return;
    filling_ = false;
    // Qt paints the surface whole in the same frame; its commit takes the
    // overlay off.
    overlay_->hideWithWindowsNextCommit();
    if (onShows)
        onShows();
}

void WaylandFill::present()
{
    if (!filling_)
        return;
    // In the window's logical pixels; the label clipped to the surface, as
    // Qt clips it (it goes past the top edge as it turns there).
    const QPoint origin = surface_.mapTo(surface_.window(), QPoint());
    const QRect area(origin, surface_.size());
    overlay_->setColour(area, colour_);
    const auto labels = surface_.findChildren<LabelWidget*>(Qt::FindDirectChildrenOnly);
    LabelWidget* label = labels.isEmpty() || !labels.front()->isVisible() ? nullptr : labels.front();
    // On a background of the colour itself, only the text needs a picture.
    const QRect part = !label ? QRect() : label->background().rgb() == colour_.rgb() ? label->textBounds(label->devicePixelRatioF()) : label->rect();
    const QRect shown = label ? part.translated(origin + label->pos()) & area : QRect();
    if (shown.isEmpty()) {
        overlay_->hideImage();
    } else {
        QPainter p(&overlay_->imageToPaint(shown.size()));
        p.translate(origin + label->pos() - shown.topLeft());
        label->drawOn(p);
        p.end();
        overlay_->showImage(shown.topLeft());
    }
    overlay_->commit();
}

} // namespace rt
