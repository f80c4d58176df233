#include "runtime/label_widget.h"

#include <QMouseEvent>
#include <QPainter>

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

void LabelWidget::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), back_);
    p.setPen(fore_);
    p.setFont(font());
    p.drawText(rect(), Qt::AlignCenter, text_);
}

void LabelWidget::mousePressEvent(QMouseEvent* event)
{
    // A press on the label is the label's: it must not reach the window.
    event->accept();
}

} // namespace rt
