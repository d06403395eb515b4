#include "SafeDllLoading.h"

#include <windows.h>

#ifndef LOAD_LIBRARY_SEARCH_USER_DIRS
#define LOAD_LIBRARY_SEARCH_USER_DIRS 0x00000400
#endif
#ifndef LOAD_LIBRARY_SEARCH_SYSTEM32
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
#endif

namespace {
template <class Function> Function Lookup(HMODULE module, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}
} // namespace

void AfxEnableSafeDllLoading() {
    const HMODULE kernel = ::GetModuleHandleA("kernel32.dll");
    if (!kernel)
        return;
    // Windows XP SP1 and later.
    if (const auto setDllDirectory = Lookup<BOOL(WINAPI*)(LPCSTR)>(kernel, "SetDllDirectoryA"))
        setDllDirectory("");
    // Windows 8 and later; Vista and 7 with the loader update. There, with the system
    // directory alone as the default, creating the shell link object fails; adding the
    // directories given to SetDllDirectory/AddDllDirectory (this process gives none) keeps it
    // working and searches nothing more.
    if (const auto setDefaultDllDirectories =
            Lookup<BOOL(WINAPI*)(DWORD)>(kernel, "SetDefaultDllDirectories"))
        setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32 | LOAD_LIBRARY_SEARCH_USER_DIRS);
}
