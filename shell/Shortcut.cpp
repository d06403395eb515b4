#include "Shortcut.h"

#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>

#include <utility>

namespace {

// The platform's limit for a path, its NUL included.
constexpr int kLinkPathUnits = MAX_PATH;

} // namespace

CShortcutWriter::CShortcutWriter(CString target, CString description)
    : m_target(std::move(target)), m_description(std::move(description)) {}

CShortcutWriter::~CShortcutWriter() {
    Release();
}

void CShortcutWriter::Release() {
    // The persistence interface first, then the link object.
    if (m_file)
        m_file->Release();
    if (m_link)
        m_link->Release();
    m_file = nullptr;
    m_link = nullptr;
}

HRESULT CShortcutWriter::Save(const CString& linkFile) {
    if (!m_file) {
        HRESULT status = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                          IID_IShellLinkA, reinterpret_cast<void**>(&m_link));
        if (FAILED(status)) {
            m_link = nullptr;
            return status;
        }
        m_link->SetPath(m_target);
        m_link->SetDescription(m_description);
        status = m_link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&m_file));
        if (FAILED(status)) {
            m_file = nullptr;
            Release();
            return status;
        }
    }

    WCHAR path[kLinkPathUnits];
    if (MultiByteToWideChar(CP_ACP, 0, linkFile, -1, path, kLinkPathUnits) == 0) {
        // A path longer than the buffer would be cut short and the link saved somewhere
        // else: refuse it.
        const DWORD error = GetLastError();
        return HRESULT_FROM_WIN32(error == ERROR_INSUFFICIENT_BUFFER || error == ERROR_SUCCESS
                                      ? ERROR_FILENAME_EXCED_RANGE
                                      : error);
    }
    return m_file->Save(path, TRUE);
}

namespace shell {

HRESULT CreateShortcut(CString target, CString linkFile, CString description) {
    CShortcutWriter writer(std::move(target), std::move(description));
    return writer.Save(linkFile);
}

} // namespace shell
