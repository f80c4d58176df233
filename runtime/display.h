#pragma once
// The connection to the window system as the user sees it fail: one line on
// stderr and status 1, whether no display can be opened at start or a
// Wayland compositor goes away later (a lost X server is Qt's to report,
// and it does so the same way). A start that fails with the display there
// also ends with status 1, the program's line followed by Qt's reasons.

namespace rt {

// Call before the QApplication is made: Qt's start-up messages are held
// back, and if no display can be opened the line says what is missing.
// Under Wayland no GL driver is loaded, unless the user asks for one, and
// the memory of large images is given back to the system when they go.
void holdStartupMessages();
// Call once it is made: the held messages are passed on, and from then on
// a lost Wayland compositor ends the program.
void displayOpened();
// Ends the program at once with the status, without taking the connection
// to the window system down first: Qt 6.8's Wayland client can wait for
// ever there, on an event thread that never returns.
[[noreturn]] void endNow(int status);

} // namespace rt
