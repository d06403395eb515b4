// One open registry key, closed (RegCloseKey) when the object goes out of scope.
#pragma once

#include <windows.h>

#include "CString.h"

class CRegKey {
public:
    CRegKey() = default;
    CRegKey(const CRegKey&) = delete;
    CRegKey& operator=(const CRegKey&) = delete;
    ~CRegKey();

    // Opens the existing key `name` below `parent` with RegOpenKeyA; creates nothing.
    bool Open(HKEY parent, const char* name);

    // Creates `name` below `parent`, or opens it when it exists: RegCreateKeyExA, non-volatile,
    // all access, no class and no security attributes. The disposition is not reported.
    bool Create(HKEY parent, const char* name);

    HKEY Get() const { return m_key; }

    // A REG_SZ value: the text and its terminating NUL, the NUL counted.
    LONG SetStringValue(const char* name, const CString& text);

    // Reads the value `name` into a buffer of `bufferSize` bytes. The text is the data up to
    // its first NUL, or all the bytes returned when they hold none; the type is not looked
    // at. Returns the query's result; `text` is set only on success.
    LONG QueryStringValue(const char* name, DWORD bufferSize, CString& text) const;

private:
    HKEY m_key = nullptr;
};
