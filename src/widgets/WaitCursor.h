#pragma once

// The hourglass pointer while a command runs, back to the normal pointer
// when the guard goes, however the command ends. Pending paint events run at
// both ends, so that the pointer and the window show the change at once.
class WaitCursor
{
public:
    WaitCursor();
    ~WaitCursor();
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};
