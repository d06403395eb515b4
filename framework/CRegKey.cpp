#include "CRegKey.h"

#include <cstring>
#include <vector>

CRegKey::~CRegKey() {
    if (m_key)
        RegCloseKey(m_key);
}

bool CRegKey::Open(HKEY parent, const char* name) {
    HKEY key = nullptr;
    if (RegOpenKeyA(parent, name, &key) != ERROR_SUCCESS || !key)
        return false;
    m_key = key;
    return true;
}

bool CRegKey::Create(HKEY parent, const char* name) {
    HKEY key = nullptr;
    DWORD disposition = 0;
    if (RegCreateKeyExA(parent, name, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                        &key, &disposition) != ERROR_SUCCESS ||
        !key)
        return false;
    m_key = key;
    return true;
}

LONG CRegKey::SetStringValue(const char* name, const CString& text) {
    return RegSetValueExA(m_key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.GetString()),
                          DWORD(text.GetLength() + 1));
}

LONG CRegKey::QueryStringValue(const char* name, DWORD bufferSize, CString& text) const {
    std::vector<char> buffer(bufferSize);
    DWORD size = bufferSize;
    const LONG result = RegQueryValueExA(m_key, name, nullptr, nullptr,
                                         reinterpret_cast<BYTE*>(buffer.data()), &size);
    if (result != ERROR_SUCCESS)
        return result;
    // The data need not end in a NUL: nothing past the bytes returned is read.
    const DWORD read = size < bufferSize ? size : bufferSize;
    const void* nul = std::memchr(buffer.data(), 0, read);
    text = CString(buffer.data(),
                   nul ? int(static_cast<const char*>(nul) - buffer.data()) : int(read));
    return result;
}
