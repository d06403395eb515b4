#include "Shortcut.h"

#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>
#include <shobjidl.h>

namespace {

// One COM interface pointer, released when it goes out of scope.
template <class T> class ComRef {
public:
    ComRef() = default;
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    ~ComRef() {
        if (m_p)
            m_p->Release();
    }

    T* operator->() const { return m_p; }
    void** Out() { return reinterpret_cast<void**>(&m_p); }

private:
    T* m_p = nullptr;
};

// The platform's limit for a path, its NUL included.
constexpr int kLinkPathUnits = MAX_PATH;

} // namespace

HRESULT CreateShortcut(CString target, CString linkFile, CString description) {
    ComRef<IShellLinkA> link;
    HRESULT status = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_IShellLinkA, link.Out());
    if (FAILED(status))
        return status;
    link->SetPath(target);
    link->SetDescription(description);

    // Declared after the link object, so released before it.
    ComRef<IPersistFile> file;
    status = link->QueryInterface(IID_IPersistFile, file.Out());
    if (FAILED(status))
        return status;

    WCHAR path[kLinkPathUnits];
    if (MultiByteToWideChar(CP_ACP, 0, linkFile, -1, path, kLinkPathUnits) == 0) {
        // A path longer than the buffer would be cut short and the link saved somewhere
        // else: refuse it.
        const DWORD error = GetLastError();
        return HRESULT_FROM_WIN32(error == ERROR_INSUFFICIENT_BUFFER || error == ERROR_SUCCESS
                                      ? ERROR_FILENAME_EXCED_RANGE
                                      : error);
    }
    return file->Save(path, TRUE);
}
