// Loads the libraries that the installer binds at run time, the way its argument says:
//   unsafe       LoadLibraryA by bare name, with the search path as the system left it (what
//                a program that does not protect itself does);
//   search-path  the same after the framework's safe library loading, then the shell link
//                object through ole32 (loaded from the system directory);
//   bound        a call of each function bound in the system directory (comctl32 by the
//                framework, version and lz32 by the installer), without the safe library
//                loading;
//   preloaded    LoadLibraryA of version.dll by bare name after the framework's preloading
//                alone (what systems without SetDefaultDllDirectories get).
// It imports nothing but kernel32 and msvcrt, so that nothing but its own calls loads a
// library (under Wine, user32 itself imports version.dll).
// Exit code: 0 done, 2 the shell link object could not be created, 3 bad argument.
#include <windows.h>

#include <commctrl.h>
#include <lzexpand.h>
#include <objbase.h>
#include <shlobj.h>

#include <cstring>
#include <initializer_list>

#include "SafeDllLoading.h"
#include "SystemLibraries.h"

namespace {

int CreateShellLink() {
    const HMODULE ole32 = AfxLoadSystemLibrary("ole32.dll");
    if (!ole32)
        return 2;
    using Initialize = HRESULT(WINAPI*)(LPVOID);
    using Create = HRESULT(WINAPI*)(REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID*);
    using Uninitialize = void(WINAPI*)();
    const auto initialize = reinterpret_cast<Initialize>(
        reinterpret_cast<void*>(GetProcAddress(ole32, "CoInitialize")));
    const auto create = reinterpret_cast<Create>(
        reinterpret_cast<void*>(GetProcAddress(ole32, "CoCreateInstance")));
    const auto uninitialize = reinterpret_cast<Uninitialize>(
        reinterpret_cast<void*>(GetProcAddress(ole32, "CoUninitialize")));
    if (!initialize || !create || !uninitialize)
        return 2;
    initialize(nullptr);
    IShellLinkA* link = nullptr;
    const HRESULT created = create(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(&link));
    if (SUCCEEDED(created))
        link->Release();
    uninitialize();
    return SUCCEEDED(created) ? 0 : 2;
}

void LoadByName() {
    for (const char* name : {"version.dll", "lz32.dll", "comctl32.dll"})
        LoadLibraryA(name);
}

void CallBoundFunctions() {
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    DWORD handle = 0;
    GetFileVersionInfoSizeA(self, &handle);

    // No file behind the handle: only the binding matters.
    const INT file = LZInit(HFILE_ERROR);
    if (file >= 0)
        LZClose(file);

    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_TREEVIEW_CLASSES};
    InitCommonControlsEx(&controls);
}

} // namespace

int main(int argc, char** argv) {
    const char* mode = argc == 2 ? argv[1] : "";
    if (std::strcmp(mode, "unsafe") == 0) {
        LoadByName();
        return 0;
    }
    if (std::strcmp(mode, "search-path") == 0) {
        AfxEnableSafeDllLoading();
        LoadByName();
        return CreateShellLink();
    }
    if (std::strcmp(mode, "preloaded") == 0) {
        AfxPreloadSystemLibraries();
        LoadLibraryA("version.dll");
        return 0;
    }
    if (std::strcmp(mode, "bound") == 0) {
        CallBoundFunctions();
        return 0;
    }
    return 3;
}
