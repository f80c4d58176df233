#pragma once
// A text label on the window's surface: caption, visibility, position in
// twips and colours.

#include "runtime/colour.h"

#include <QRect>
#include <string>

namespace rt {

class LabelWidget;
class Window;

struct LabelDefinition {
    std::string caption;
    float left = 0;
    float top = 0;
    float width = 0;
    float height = 0;
    std::string fontFamily;
    int fontPoints = 0;
};

class Label {
public:
    Label(Window& window, const LabelDefinition& definition);

    std::string caption() const { return caption_; }
    void setCaption(const std::string& caption);

    bool visible() const { return visible_; }
    void setVisible(bool visible);

    float left() const { return left_; }
    float top() const { return top_; }
    void setLeft(float left);
    void setTop(float top);

    Colour backColor() const { return backColor_; }
    Colour foreColor() const { return foreColor_; }
    void setBackColor(Colour colour);
    void setForeColor(Colour colour);

    LabelWidget* widget() const { return widget_; }

private:
    void place();
    // Shows the plain background where the label stood and no longer does.
    void eraseLeftBehind(const QRect& to);

    Window& window_;
    LabelWidget* widget_;
    QRect placed_;   // where the label stands, in logical pixels
    std::string caption_;
    bool visible_ = true;
    float left_;
    float top_;
    Colour backColor_;
    Colour foreColor_;
};

} // namespace rt
