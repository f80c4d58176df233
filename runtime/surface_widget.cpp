#include "runtime/surface_widget.h"

#include "runtime/qt_colour.h"

#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QtMath>

namespace rt {

SurfaceWidget::SurfaceWidget(QWidget* parent)
    : QWidget(parent), backColor_(fromQColor(palette().color(QPalette::Window)))
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
}

void SurfaceWidget::growToCover(const QRect& area)
{
    const QSize have = squares_.isNull() ? QSize(0, 0) : drawnSize();
    const QSize need = have.expandedTo(QSize(area.right() + 1, area.bottom() + 1));
    if (need == have)
        return;
    const qreal ratio = devicePixelRatioF();
    QImage grown(QSize(qCeil(need.width() * ratio), qCeil(need.height() * ratio)), QImage::Format_RGB32);
    grown.setDevicePixelRatio(ratio);
    grown.fill(toQColor(backColor_));
    if (!squares_.isNull()) {
        QPainter p(&grown);
        p.drawImage(QPoint(0, 0), squares_);
    }
    squares_ = std::move(grown);
}

QSize SurfaceWidget::drawnSize() const
{
    return (QSizeF(squares_.size()) / squares_.devicePixelRatio()).toSize();
}

void SurfaceWidget::fillBox(const QRectF& box, Colour colour)
{
    const QRect pixels = box.toAlignedRect();
    if (pixels.right() < 0 || pixels.bottom() < 0)
        return;
    stopFill();
    growToCover(pixels);
    queue(box, toQColor(colour));
    update(pixels);
}

void SurfaceWidget::queue(const QRectF& box, const QColor& colour)
{
    queued_.push_back({box, colour});
    // A window never painted again still keeps the queue short.
    constexpr std::size_t kLongest = 256;
    if (queued_.size() >= kLongest)
        applyQueued();
}

void SurfaceWidget::applyQueued()
{
    if (queued_.empty())
        return;
    QPainter p(&squares_);
    for (const Box& b : queued_)
        p.fillRect(b.box, b.colour);
    queued_.clear();
}

void SurfaceWidget::setBackColor(Colour colour)
{
    const bool unchanged = colour == backColor_ && squares_.isNull();
    backColor_ = colour;
    squares_ = QImage();
    queued_.clear();
    if (fill_ && fill_->fill(toQColor(colour))) {
        // Qt paints neither the surface nor the labels meanwhile: its
        // picture of them goes stale, and is painted whole when the fill
        // stops.
        filled_ = true;
        setUpdatesEnabled(false);
        return;
    }
    stopFill();
    if (!unchanged)
        update();
}

void SurfaceWidget::stopFill()
{
    if (!filled_)
        return;
    filled_ = false;
    fill_->stop();
    setUpdatesEnabled(true);
    update();
}

void SurfaceWidget::erase(const QRect& area)
{
    if (!squares_.isNull())
        queue(area, toQColor(backColor_));
}

bool SurfaceWidget::event(QEvent* event)
{
    // Key presses are taken before QWidget turns Tab into focus movement.
    if (event->type() == QEvent::KeyPress && onKey) {
        onKey(static_cast<QKeyEvent*>(event));
        return true;
    }
    return QWidget::event(event);
}

void SurfaceWidget::paintEvent(QPaintEvent* event)
{
    applyQueued();
    QPainter p(this);
    const QColor back = toQColor(backColor_);
    if (squares_.isNull()) {
        for (const QRect& r : event->region())
            p.fillRect(r, back);
        return;
    }
    const QRect drawn(QPoint(0, 0), drawnSize());
    for (const QRect& r : event->region()) {
        const QRect inImage = r & drawn;
        // One rectangle at a time: Qt's fast copy takes no clip of several,
        // and at a high pixel ratio the slow one wakes threads.
        p.setClipRect(r);
        if (!inImage.isEmpty())
            p.drawImage(inImage, squares_, QRectF(QPointF(inImage.topLeft()) * squares_.devicePixelRatio(),
                                                 QSizeF(inImage.size()) * squares_.devicePixelRatio()));
        for (const QRect& rest : QRegion(r).subtracted(drawn))
            p.fillRect(rest, back);
    }
}

void SurfaceWidget::mousePressEvent(QMouseEvent* event)
{
    if (onMousePress)
        onMousePress(event);
    event->accept();
}

} // namespace rt
