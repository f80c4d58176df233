#pragma once
// X11: the server fills the surface's part of the window with one solid
// fill request a frame, and takes each label's picture as an image.

#include "runtime/window_fill.h"

#include <memory>
#include <xcb/xcb.h>

class QWidget;

namespace rt {

// Null where the window's pixels are not plain 24-bit red, green and blue
// in 32-bit words of this machine's byte order.
std::unique_ptr<WindowFill> x11Fill(xcb_connection_t* connection, xcb_window_t window, QWidget& surface);

} // namespace rt
