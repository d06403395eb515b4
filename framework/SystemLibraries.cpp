#include "SystemLibraries.h"

#include <commctrl.h>

#include <cstring>

#ifndef LOAD_LIBRARY_SEARCH_SYSTEM32
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
#endif

HMODULE AfxLoadSystemLibrary(const char* name) {
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

FARPROC AfxBindSystemFunction(const char* library, const char* function) {
    HMODULE module = AfxLoadSystemLibrary(library);
    FARPROC proc = module ? GetProcAddress(module, function) : nullptr;
    if (!proc)
        SetLastError(ERROR_PROC_NOT_FOUND);
    return proc;
}

AFX_BIND_SYSTEM_FUNCTION("comctl32.dll", WINBOOL, InitCommonControlsEx,
                         (const INITCOMMONCONTROLSEX* icc), (icc), FALSE)
AFX_BIND_SYSTEM_FUNCTION("comctl32.dll", HIMAGELIST, ImageList_Create,
                         (int cx, int cy, UINT flags, int initial, int grow),
                         (cx, cy, flags, initial, grow), nullptr)
AFX_BIND_SYSTEM_FUNCTION("comctl32.dll", int, ImageList_ReplaceIcon,
                         (HIMAGELIST list, int index, HICON icon), (list, index, icon), -1)
AFX_BIND_SYSTEM_FUNCTION("comctl32.dll", WINBOOL, ImageList_Destroy, (HIMAGELIST list), (list),
                         FALSE)
