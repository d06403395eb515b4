// Libraries that Windows does not always load from its own directory (LZ32, version
// information, common controls) are never imported statically: a DLL of the same name in the
// installer's folder would be loaded in their place. This module defines their functions under
// their own names and binds each, on first use, to the library in the system directory; the
// code that calls them reads like any other Win32 call.
//
// When a library or function cannot be found, the call fails the way the function reports
// failure (a negative LZ error, FALSE, 0 or a null handle) with ERROR_PROC_NOT_FOUND as the
// last error.
#pragma once

#include <windows.h>

// Loads `name` (such as "lz32.dll") from the system directory only. Null on failure.
HMODULE LoadSystemLibrary(const char* name);
