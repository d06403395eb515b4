// Libraries that Windows does not always load from its own directory (LZ32, version
// information, common controls) are never imported statically: a DLL of the same name in the
// program's folder would be loaded in their place. A program defines the functions it calls
// under their own names with AFX_BIND_SYSTEM_FUNCTION, which binds each, on first use, to the
// library in the system directory; the code that calls them reads like any other Win32 call.
// The framework binds the common controls it wraps (SystemLibraries.cpp); the installer binds
// LZ32 (payload/Lz32.cpp) and the version functions (registry/VersionInfo.cpp).
//
// When a library or function cannot be found, the call fails the way the function reports
// failure (a negative LZ error, FALSE, 0 or a null handle) with ERROR_PROC_NOT_FOUND as the
// last error.
#pragma once

#include <windows.h>

// Loads `name` (such as "lz32.dll") from the system directory only. Null on failure.
HMODULE AfxLoadSystemLibrary(const char* name);

// The function `function` of `library` in the system directory; null, with the last error
// ERROR_PROC_NOT_FOUND, when either cannot be found.
FARPROC AfxBindSystemFunction(const char* library, const char* function);

// Defines `name` with the platform's signature; its first call binds it to `library` in the
// system directory. (The build defines WINCOMMCTRLAPI as empty, so that the common-controls
// header declares its functions as ordinary ones rather than DLL imports.)
#define AFX_BIND_SYSTEM_FUNCTION(library, ret, name, params, args, failure)                        \
    extern "C" ret WINAPI name params {                                                            \
        using Fn = ret(WINAPI*) params;                                                            \
        static Fn fn =                                                                             \
            reinterpret_cast<Fn>(reinterpret_cast<void*>(AfxBindSystemFunction(library, #name)));  \
        if (!fn) {                                                                                 \
            SetLastError(ERROR_PROC_NOT_FOUND);                                                    \
            return failure;                                                                        \
        }                                                                                          \
        return fn args;                                                                            \
    }
