#pragma once
// Colour numbers to and from Qt's colours; runtime-internal.

#include "runtime/colour.h"

#include <QColor>

namespace rt {

inline QColor toQColor(Colour c)
{
    return QColor(redOf(c), greenOf(c), blueOf(c));
}

inline Colour fromQColor(const QColor& c)
{
    return rgb(c.red(), c.green(), c.blue());
}

} // namespace rt
