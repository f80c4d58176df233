#pragma once
// The window's drawing surface. Filled boxes go into a backing image that
// covers only the part drawn on, so they stay through repaints; the image
// is dropped when the background colour is set, and the area the label
// uncovers is erased from it.

#include "runtime/colour.h"

#include <QImage>
#include <QWidget>
#include <functional>

namespace rt {

class SurfaceWidget final : public QWidget {
    Q_OBJECT
public:
    explicit SurfaceWidget(QWidget* parent = nullptr);

    void fillBox(const QRectF& box, Colour colour);
    void setBackColor(Colour colour);
    Colour backColor() const { return backColor_; }
    // Shows the plain background there again.
    void erase(const QRegion& area);

    std::function<void(QKeyEvent*)> onKey;
    std::function<void(QMouseEvent*)> onMousePress;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void growToCover(const QRect& area);
    QSize drawnSize() const;

    Colour backColor_;
    QImage squares_;
};

} // namespace rt
