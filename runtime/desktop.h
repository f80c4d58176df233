#pragma once
// What the desktop tells the program of the user's taste at start.

namespace rt {

class Desktop {
public:
    virtual ~Desktop() = default;
    // Whether the user prefers dark colours. Asked once, before the window
    // is first shown; a desktop that does not say prefers nothing.
    virtual bool prefersDark() = 0;
};

} // namespace rt
