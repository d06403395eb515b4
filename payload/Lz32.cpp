// LZ32, the platform's expansion library, bound at run time to the system directory's copy
// (framework/SystemLibraries.h), so that an lz32.dll in the installer's folder is never loaded.
#include <windows.h>

#include <lzexpand.h>

#include "SystemLibraries.h"

AFX_BIND_SYSTEM_FUNCTION("lz32.dll", INT, LZInit, (INT file), (file), LZERROR_BADINHANDLE)
AFX_BIND_SYSTEM_FUNCTION("lz32.dll", INT, LZRead, (INT file, LPSTR buffer, INT count),
                         (file, buffer, count), LZERROR_READ)

// LZClose returns nothing, so it has no failure value to report.
extern "C" VOID WINAPI LZClose(INT file) {
    using Fn = VOID(WINAPI*)(INT);
    static Fn fn =
        reinterpret_cast<Fn>(reinterpret_cast<void*>(AfxBindSystemFunction("lz32.dll", "LZClose")));
    if (fn)
        fn(file);
}
