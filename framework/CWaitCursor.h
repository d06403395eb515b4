// CWaitCursor: the hourglass for as long as the object lives. Wait cursors nest; the cursor
// from before the first one comes back when the last one ends. While one is alive, the
// framework's dialogs keep the hourglass when the mouse moves over them.
#pragma once

#include <windows.h>

class CWaitCursor {
public:
    CWaitCursor();
    ~CWaitCursor();
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;
};

// True while a CWaitCursor is alive.
bool AfxIsWaitCursorShown();

// Sets the hourglass when a CWaitCursor is alive; otherwise does nothing.
void AfxRestoreWaitCursor();
