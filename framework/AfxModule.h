// The running executable's own file.
#pragma once

#include "CString.h"

// The executable's whole path as GetModuleFileNameA gives it, however long; empty when it
// cannot be had whole. Reads into one buffer of the module: for the user-interface thread.
CString AfxGetModuleFileName();
