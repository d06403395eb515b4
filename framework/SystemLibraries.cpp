#include "SystemLibraries.h"

#include <commctrl.h>
#include <lzexpand.h>
#include <winver.h>

#include <cstring>

#ifndef LOAD_LIBRARY_SEARCH_SYSTEM32
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
#endif

HMODULE LoadSystemLibrary(const char* name) {
    // By full path: a bare name would also match a library of that name that something has
    // already loaded from elsewhere.
    char path[MAX_PATH];
    const UINT n = GetSystemDirectoryA(path, MAX_PATH);
    if (n == 0 || n + 1 + std::strlen(name) >= MAX_PATH)
        return nullptr;
    lstrcatA(path, "\\");
    lstrcatA(path, name);
    // Where the loader knows the flag, the library's own dependencies are looked for in the
    // system directory only. Older systems reject it (ERROR_INVALID_PARAMETER); there the
    // altered search order looks in the library's own directory, the system directory, first.
    HMODULE module = LoadLibraryExA(path, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!module)
        module = LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    return module;
}

namespace {

FARPROC Bind(const char* library, const char* function) {
    HMODULE module = LoadSystemLibrary(library);
    FARPROC proc = module ? GetProcAddress(module, function) : nullptr;
    if (!proc)
        SetLastError(ERROR_PROC_NOT_FOUND);
    return proc;
}

} // namespace

// Defines `name` with the platform's signature; its first call binds it to `library` in the
// system directory. The build defines WINCOMMCTRLAPI as empty, so that the common-controls
// header declares these functions as ordinary ones rather than DLL imports.
#define KRZ_BIND(library, ret, name, params, args, failure)                                        \
    extern "C" ret WINAPI name params {                                                            \
        using Fn = ret(WINAPI*) params;                                                            \
        static Fn fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(Bind(library, #name)));        \
        if (!fn) {                                                                                 \
            SetLastError(ERROR_PROC_NOT_FOUND);                                                    \
            return failure;                                                                        \
        }                                                                                          \
        return fn args;                                                                            \
    }

KRZ_BIND("lz32.dll", INT, LZOpenFileA, (LPSTR path, LPOFSTRUCT of, WORD style), (path, of, style),
         LZERROR_BADINHANDLE)
KRZ_BIND("lz32.dll", INT, LZInit, (INT file), (file), LZERROR_BADINHANDLE)
KRZ_BIND("lz32.dll", INT, LZRead, (INT file, LPSTR buffer, INT count), (file, buffer, count),
         LZERROR_READ)
KRZ_BIND("version.dll", DWORD, GetFileVersionInfoSizeA, (LPCSTR path, LPDWORD handle),
         (path, handle), 0)
KRZ_BIND("version.dll", WINBOOL, GetFileVersionInfoA,
         (LPCSTR path, DWORD handle, DWORD size, LPVOID data), (path, handle, size, data), FALSE)
KRZ_BIND("version.dll", WINBOOL, VerQueryValueA,
         (LPCVOID block, LPCSTR sub, LPVOID* value, PUINT length), (block, sub, value, length),
         FALSE)
KRZ_BIND("comctl32.dll", WINBOOL, InitCommonControlsEx, (const INITCOMMONCONTROLSEX* icc), (icc),
         FALSE)
KRZ_BIND("comctl32.dll", HIMAGELIST, ImageList_Create,
         (int cx, int cy, UINT flags, int initial, int grow), (cx, cy, flags, initial, grow),
         nullptr)
KRZ_BIND("comctl32.dll", int, ImageList_ReplaceIcon, (HIMAGELIST list, int index, HICON icon),
         (list, index, icon), -1)
KRZ_BIND("comctl32.dll", WINBOOL, ImageList_Destroy, (HIMAGELIST list), (list), FALSE)

// LZClose returns nothing, so it has no failure value to report.
extern "C" VOID WINAPI LZClose(INT file) {
    using Fn = VOID(WINAPI*)(INT);
    static Fn fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(Bind("lz32.dll", "LZClose")));
    if (fn)
        fn(file);
}
