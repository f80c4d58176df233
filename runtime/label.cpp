#include "runtime/label.h"

#include "runtime/label_widget.h"
#include "runtime/qt_colour.h"
#include "runtime/surface_widget.h"
#include "runtime/twips.h"
#include "runtime/window.h"

namespace rt {

Label::Label(Window& window, const LabelDefinition& def)
    : window_(window),
      widget_(new LabelWidget(window.surface())),
      caption_(def.caption),
      left_(def.left),
      top_(def.top)
{
    const QPalette palette = widget_->palette();
    backColor_ = fromQColor(palette.color(QPalette::Window));
    foreColor_ = fromQColor(palette.color(QPalette::WindowText));

    QFont font(QString::fromStdString(def.fontFamily));
    // Points are sized as logical pixels at 96 dpi (3 points make 4
    // pixels), whatever the display reports, so the text fits the box.
    font.setPixelSize(def.fontPoints * 4 / 3);
    font.setWeight(QFont::Normal);
    widget_->setFont(font);
    widget_->resize(twipsToPixels(def.width), twipsToPixels(def.height));
    widget_->setText(QString::fromStdString(caption_));
    widget_->setColours(toQColor(backColor_), toQColor(foreColor_));
    placed_ = QRect(QPoint(twipsToPixels(left_), twipsToPixels(top_)), widget_->size());
    widget_->move(placed_.topLeft());
    // Moving the widget costs a scroll of the window's picture: while nobody
    // sees the window it stays put and catches up when seen again.
    window_.whenSeen([this] { widget_->move(placed_.topLeft()); });
    widget_->show();
}

void Label::setCaption(const std::string& caption)
{
    caption_ = caption;
    widget_->setText(QString::fromStdString(caption));
}

void Label::setVisible(bool visible)
{
    if (visible == visible_)
        return;
    visible_ = visible;
    if (!visible)
        window_.surface()->erase(placed_);
    widget_->setVisible(visible);
}

void Label::setLeft(float left)
{
    left_ = left;
    place();
}

void Label::setTop(float top)
{
    top_ = top;
    place();
}

void Label::place()
{
    const QRect to(QPoint(twipsToPixels(left_), twipsToPixels(top_)), placed_.size());
    if (to == placed_)
        return;
    // What the label leaves behind shows the plain background. A hidden
    // label covers nothing, so it uncovers nothing.
    if (visible_)
        eraseLeftBehind(to);
    placed_ = to;
    if (window_.seen())
        widget_->move(to.topLeft());
}

void Label::eraseLeftBehind(const QRect& to)
{
    // The bands of the old place above, below, left and right of the new
    // one: QRegion would find the same, with allocations, twice a tick.
    SurfaceWidget& surface = *window_.surface();
    const QRect& from = placed_;
    const QRect both = from & to;
    if (both.isEmpty()) {
        surface.erase(from);
        return;
    }
    if (from.top() < both.top())
        surface.erase(QRect(from.left(), from.top(), from.width(), both.top() - from.top()));
    if (from.bottom() > both.bottom())
        surface.erase(QRect(QPoint(from.left(), both.bottom() + 1), from.bottomRight()));
    if (from.left() < both.left())
        surface.erase(QRect(QPoint(from.left(), both.top()), QPoint(both.left() - 1, both.bottom())));
    if (from.right() > both.right())
        surface.erase(QRect(QPoint(both.right() + 1, both.top()), QPoint(from.right(), both.bottom())));
}

void Label::setBackColor(Colour colour)
{
    backColor_ = colour;
    widget_->setColours(toQColor(backColor_), toQColor(foreColor_));
}

void Label::setForeColor(Colour colour)
{
    foreColor_ = colour;
    widget_->setColours(toQColor(backColor_), toQColor(foreColor_));
}

} // namespace rt
