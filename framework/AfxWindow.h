// The window that owns the application's message boxes.
#pragma once

#include <windows.h>

// The application's main window while it exists (its last active popup), else the
// thread's active window, else none.
HWND AfxGetMessageBoxOwner();

// Set by the application object while its main window runs.
void AfxSetMainWindowHandle(HWND hwnd);
