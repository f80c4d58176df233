#pragma once
// The connection to the window system as the user sees it fail: one line on
// stderr and status 1, whether no display can be opened at start or a
// Wayland compositor goes away later (a lost X server is Qt's to report,
// and it does so the same way). A start that fails with the display there
// also ends with status 1, the program's line followed by Qt's reasons.

class QByteArray;

namespace rt {

// Call before the QApplication is made: Qt's start-up messages are held
// back, and if no display can be opened the line says what is missing.
// Where a Wayland compositor is there and no session type says which
// display to use (a kiosk's compositor started from a console), Qt is told
// to take Wayland before X, which such a compositor offers through
// XWayland besides: the program is a native client there, as in a Wayland
// session.
void holdStartupMessages();
// The platforms to ask Qt for, from QT_QPA_PLATFORM, WAYLAND_DISPLAY and
// XDG_SESSION_TYPE: empty to leave the choice to the user or to Qt.
QByteArray preferredPlatforms(const QByteArray& userChoice, const QByteArray& waylandDisplay, const QByteArray& sessionType);
// Call once it is made: the held messages are passed on, and from then on
// a lost Wayland compositor ends the program.
void displayOpened();
// Ends the program at once with the status, without taking the connection
// to the window system down first: Qt 6.8's Wayland client can wait for
// ever there, on an event thread that never returns.
[[noreturn]] void endNow(int status);

} // namespace rt
