#include "runtime/label_widget.h"

#include "runtime/label_accessible.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPaintEngine>
#include <QPainter>
#include <QtMath>
#include <algorithm>

namespace rt {

LabelWidget::LabelWidget(QWidget* parent) : QWidget(parent), announcer_(this)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    exposeLabels();
}

void LabelWidget::setText(const QString& text)
{
    if (text == text_)
        return;
    text_ = text;
    layOut();
    update();
    announcer_.changed();
}

void LabelWidget::setColours(const QColor& back, const QColor& fore)
{
    if (back == back_ && fore == fore_)
        return;
    if (fore != fore_)
        textImage_ = QImage();
    back_ = back;
    fore_ = fore;
    update();
}

QFont LabelWidget::fontFor(const QString& text) const
{
    QFont f = font();
    const int width = QFontMetrics(f).horizontalAdvance(text);
    if (width <= this->width() || f.pixelSize() <= 0)
        return f;
    int pixels = f.pixelSize() * this->width() / width;
    f.setPixelSize(std::max(1, pixels));
    while (pixels > 1 && QFontMetrics(f).horizontalAdvance(text) > this->width())
        f.setPixelSize(--pixels);
    return f;
}

void LabelWidget::layOut()
{
    drawnFont_ = fontFor(text_);
    drawnText_.setText(text_);
    drawnText_.setTextFormat(Qt::PlainText);
    drawnText_.setPerformanceHint(QStaticText::AggressiveCaching);
    drawnText_.prepare(QTransform(), drawnFont_);
    const QSizeF size = drawnText_.size();
    textOrigin_ = QPointF((width() - size.width()) / 2, (height() - size.height()) / 2);
    textImage_ = QImage();
}

void LabelWidget::renderText(qreal ratio)
{
    // Over the label's whole box, the text where it stands in it: the
    // glyphs' outlines then fall on the device pixels they would fall on if
    // drawn straight onto the label.
    textImage_ = QImage(qCeil(width() * ratio), qCeil(height() * ratio), QImage::Format_ARGB32_Premultiplied);
    textImage_.setDevicePixelRatio(ratio);
    textImage_.fill(Qt::transparent);
    QPainter p(&textImage_);
    p.setPen(fore_);
    p.setFont(drawnFont_);
    p.drawStaticText(textOrigin_, drawnText_);
    p.end();
    // The glyphs' inked pixels, rounded out to logical ones: the only part
    // blended over the background at each frame, and the only part the
    // window system takes as an image.
    int left = textImage_.width(), right = -1, top = textImage_.height(), bottom = -1;
    for (int y = 0; y < textImage_.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(textImage_.constScanLine(y));
        for (int x = 0; x < textImage_.width(); ++x)
            if (qAlpha(line[x]) != 0) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    }
    // (At a fractional ratio the image's last device pixel may round out
    // past the label: not drawn, as Qt clips the label there.)
    inked_ = right < 0 ? QRect()
                       : QRectF(QPointF(left, top) / ratio, QPointF(right + 1, bottom + 1) / ratio).toAlignedRect() & rect();
}

void LabelWidget::drawOn(QPainter& p)
{
    p.fillRect(rect(), back_);
    // The device painted on, also where the widget's painting is redirected
    // (rendered into an image of its own ratio).
    const qreal ratio = p.paintEngine()->paintDevice()->devicePixelRatioF();
    // Only where the text is: the rest of the image is clear.
    const QRect text = textBounds(ratio);
    if (!text.isEmpty())
        p.drawImage(text, textImage_, QRectF(QPointF(text.topLeft()) * ratio, QSizeF(text.size()) * ratio));
}

QRect LabelWidget::textBounds(qreal ratio)
{
    if (textImage_.isNull() || textImage_.devicePixelRatio() != ratio)
        renderText(ratio);
    return inked_;
}

void LabelWidget::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    drawOn(p);
}

void LabelWidget::resizeEvent(QResizeEvent*)
{
    layOut();
}

void LabelWidget::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange)
        layOut();
    QWidget::changeEvent(event);
}

void LabelWidget::mousePressEvent(QMouseEvent* event)
{
    // A press on the label is the label's: it must not reach the window.
    event->accept();
}

} // namespace rt
