#include "SafeDllLoading.h"

#include <windows.h>

#include "SystemLibraries.h"

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

void AfxPreloadSystemLibraries() {
    // Loaded by name on Vista and 7 by the shell link object, by COM or by the shell's and the
    // user interface's own libraries, and not a known DLL on every one of them (a known DLL
    // comes from the system directory anyway).
    static const char* const kLibraries[] = {
        "version.dll", "uxtheme.dll", "dwmapi.dll",    "propsys.dll",  "linkinfo.dll",
        "ntshrui.dll", "cscapi.dll",  "srvcli.dll",    "netutils.dll", "profapi.dll",
        "userenv.dll", "apphelp.dll", "cryptbase.dll", "sspicli.dll",  "ntmarta.dll",
        "slc.dll",     "oleacc.dll",  "clbcatq.dll",
    };
    // A system without one of them (an older one) simply does not load it.
    for (const char* name : kLibraries)
        AfxLoadSystemLibrary(name);
}

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
    const auto setDefaultDllDirectories =
        Lookup<BOOL(WINAPI*)(DWORD)>(kernel, "SetDefaultDllDirectories");
    if (setDefaultDllDirectories &&
        setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32 | LOAD_LIBRARY_SEARCH_USER_DIRS))
        return;
    // Elsewhere the program's own folder comes first in every search by name, and nothing
    // takes it out; a library already loaded, though, is found by its name without a search.
    AfxPreloadSystemLibraries();
}
