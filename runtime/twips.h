#pragma once
// Positions and sizes are in twips: 15 to a logical (device-independent)
// pixel at every scale factor, so a HiDPI screen shows the same picture.

#include <QPoint>
#include <QRect>
#include <QRectF>
#include <cmath>

namespace rt {

inline constexpr double kTwipsPerPixel = 15.0;

inline int twipsToPixels(double twips)
{
    return static_cast<int>(std::lround(twips / kTwipsPerPixel));
}

inline double pixelsToTwips(double pixels) { return pixels * kTwipsPerPixel; }

// The box between two opposite corners, in logical pixels.
inline QRectF twipsBox(double x1, double y1, double x2, double y2)
{
    return QRectF(QPointF(x1, y1) / kTwipsPerPixel, QPointF(x2, y2) / kTwipsPerPixel).normalized();
}

} // namespace rt
