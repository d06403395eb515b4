// Reading and arranging HKEY_LOCAL_MACHINE for the registry tests. Keys given as paths are
// relative to HKEY_LOCAL_MACHINE.
#pragma once

#include <windows.h>

#include <string>

#include "InstallerKeys.h"

namespace regtest {

using keys::kAppPathEntry;
using keys::kAppPaths;
using keys::kCurrentVersion;
using keys::kUninstall;
using keys::kUninstallEntry;

struct Value {
    bool present = false;
    DWORD type = 0;
    std::string data; // every byte the registry returned, a NUL included
};

// Reads a value (nullptr: the default value) through RegQueryValueExA.
Value Read(const char* key, const char* name);

bool KeyExists(const char* key);
// The number of values in `key`, or -1 when it cannot be opened.
int ValueCount(const char* key);

// Creates `key` (with its parents) and sets a value of any type from raw bytes.
void Put(const char* key, const char* name, DWORD type, const std::string& data);
void DeleteTree(const char* key);

// Moves a key tree out of the way for the lifetime of the object, then puts it back as it
// was (whatever the test left at its place is removed first).
class MovedAside {
public:
    explicit MovedAside(const char* key);
    MovedAside(const MovedAside&) = delete;
    MovedAside& operator=(const MovedAside&) = delete;
    ~MovedAside();

private:
    std::string m_key, m_backup;
    bool m_existed = false;
};

} // namespace regtest
