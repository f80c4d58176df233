#pragma once
// The window's drawing surface. Filled boxes go into a backing image that
// covers only the part drawn on, so they stay through repaints; the image
// is dropped when the background colour is set, and the area the label
// uncovers is erased from it.

#include "runtime/colour.h"
#include "runtime/window_fill.h"

#include <QImage>
#include <QWidget>
#include <functional>
#include <vector>

namespace rt {

class SurfaceWidget final : public QWidget {
    Q_OBJECT
public:
    explicit SurfaceWidget(QWidget* parent = nullptr);

    void fillBox(const QRectF& box, Colour colour);
    void setBackColor(Colour colour);
    Colour backColor() const { return backColor_; }
    // Where the window system can show the plain background itself: from
    // each change of the colour until the next box.
    void setFill(WindowFill* fill) { fill_ = fill; }
    bool filled() const { return filled_; }
    // Shows the plain background there again.
    void erase(const QRect& area);

    std::function<void(QKeyEvent*)> onKey;
    std::function<void(QMouseEvent*)> onMousePress;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void growToCover(const QRect& area);
    QSize drawnSize() const;
    // Boxes to fill wait here in order and go onto the image in one pass
    // before it is painted: one painter a frame, not one a box, and none
    // for each box while nobody sees the window.
    void queue(const QRectF& box, const QColor& colour);
    void applyQueued();

    struct Box {
        QRectF box;
        QColor colour;
    };
    void stopFill();

    Colour backColor_;
    WindowFill* fill_ = nullptr;
    bool filled_ = false;
    QImage squares_;
    std::vector<Box> queued_;
};

} // namespace rt
