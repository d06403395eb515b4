// The application's message box: modal, captioned with the executable's own file name without
// its extension. When the caller asks for no icon, OK and Yes/No boxes get the exclamation icon.
#pragma once

#include <windows.h>

#include "CString.h"

int AfxMessageBox(const char* text, UINT type = MB_OK);

// The caption every message box carries: "krzsetup" for krzsetup.exe.
CString AfxGetAppName();

// Tests replace the box with a recorder: the hook receives what the box would show
// (owner, text, caption, final type) and returns the button that it "pressed".
using AfxMessageBoxHook = int (*)(HWND owner, const char* text, const char* caption, UINT type);
AfxMessageBoxHook AfxSetMessageBoxHook(AfxMessageBoxHook hook);
