#include "Shortcut.h"

#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>
#include <shobjidl.h>

namespace {

// The platform's limit for a path, its NUL included.
constexpr int kLinkPathUnits = MAX_PATH;

// The link file's path in UTF-16; a path longer than the buffer would be cut short and the
// link saved somewhere else, so it is refused.
HRESULT LinkPath(const CString& linkFile, WCHAR (&path)[kLinkPathUnits]) {
    if (MultiByteToWideChar(CP_ACP, 0, linkFile, -1, path, kLinkPathUnits) != 0)
        return S_OK;
    const DWORD error = GetLastError();
    return HRESULT_FROM_WIN32(error == ERROR_INSUFFICIENT_BUFFER || error == ERROR_SUCCESS
                                  ? ERROR_FILENAME_EXCED_RANGE
                                  : error);
}

} // namespace

namespace shell {

HRESULT CreateShortcut(CString target, CString linkFile, CString description) {
    IShellLinkA* link = nullptr;
    HRESULT status = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_IShellLinkA, reinterpret_cast<void**>(&link));
    if (FAILED(status))
        return status;
    link->SetPath(target);
    link->SetDescription(description);

    IPersistFile* file = nullptr;
    status = link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
    if (SUCCEEDED(status)) {
        WCHAR path[kLinkPathUnits];
        status = LinkPath(linkFile, path);
        if (SUCCEEDED(status))
            status = file->Save(path, TRUE);
        file->Release();
    }
    link->Release();
    return status;
}

} // namespace shell
