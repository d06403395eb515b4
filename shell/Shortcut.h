// Shell shortcuts made by the platform's shell link object. COM must be initialised on the
// calling thread.
#pragma once

#include <windows.h>

#include "CString.h"

namespace shell {

// Writes the shortcut file `linkFile` that starts `target` and carries `description`, with a
// shell link object of its own, released before it returns. Returns the COM status: negative
// on failure (a link path too long for the platform is refused before anything is saved).
HRESULT CreateShortcut(CString target, CString linkFile, CString description);

} // namespace shell
