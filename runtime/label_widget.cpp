#include "runtime/label_widget.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

namespace rt {

LabelWidget::LabelWidget(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void LabelWidget::setText(const QString& text)
{
    if (text == text_)
        return;
    text_ = text;
    layOut();
    update();
}

void LabelWidget::setColours(const QColor& back, const QColor& fore)
{
    if (back == back_ && fore == fore_)
        return;
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
}

void LabelWidget::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), back_);
    p.setPen(fore_);
    p.setFont(drawnFont_);
    p.drawStaticText(textOrigin_, drawnText_);
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
