// A shell shortcut made by the platform's shell link object. COM must be initialised on the
// calling thread.
#pragma once

#include <windows.h>

#include "CString.h"

// Writes the shortcut file `linkFile` that starts `target` and carries `description`.
// Returns the COM status: negative on failure.
HRESULT CreateShortcut(CString target, CString linkFile, CString description);
