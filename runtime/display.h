#pragma once
// The connection to the window system as the user sees it fail at start:
// one line on stderr and status 1.

namespace rt {

// Call before the QApplication is made: Qt's start-up messages are held
// back, and if no display can be opened the line says what is missing.
void holdStartupMessages();
// Call once it is made: the held messages are passed on.
void displayOpened();

} // namespace rt
