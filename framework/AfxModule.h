// The running executable's own file.
#pragma once

#include "CString.h"

// The executable's path as GetModuleFileNameA gives it, at most MAX_PATH characters; empty
// when it cannot be had. `complete`, when given, is set to false when the path filled the
// buffer, and so may have been cut.
CString AfxGetModuleFileName(bool* complete = nullptr);
