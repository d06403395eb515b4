#include "RegistryTestSupport.h"

#include <vector>

namespace regtest {

namespace {

struct Key {
    HKEY h = nullptr;
    ~Key() {
        if (h)
            RegCloseKey(h);
    }
};

const char kBackupRoot[] = "SOFTWARE\\KrzTestBackup";

} // namespace

Value Read(const char* key, const char* name) {
    Value v;
    Key k;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_READ, &k.h) != ERROR_SUCCESS)
        return v;
    // A sentinel around the data shows whether the registry wrote more than it reported.
    std::vector<char> buffer(4096, '\x5a');
    DWORD size = DWORD(buffer.size() - 16);
    if (RegQueryValueExA(k.h, name, nullptr, &v.type, reinterpret_cast<BYTE*>(buffer.data()),
                         &size) != ERROR_SUCCESS)
        return v;
    v.present = true;
    v.data.assign(buffer.data(), size);
    return v;
}

bool KeyExists(const char* key) {
    Key k;
    return RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_READ, &k.h) == ERROR_SUCCESS;
}

int ValueCount(const char* key) {
    Key k;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_READ, &k.h) != ERROR_SUCCESS)
        return -1;
    DWORD values = 0;
    if (RegQueryInfoKeyA(k.h, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values,
                         nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return -1;
    return int(values);
}

void Put(const char* key, const char* name, DWORD type, const std::string& data) {
    Key k;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k.h,
                        nullptr) != ERROR_SUCCESS)
        return;
    RegSetValueExA(k.h, name, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                   DWORD(data.size()));
}

void DeleteTree(const char* key) {
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, key);
}

namespace {

void CopyTree(const char* from, const char* to) {
    Key source, target;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, from, 0, KEY_READ, &source.h) != ERROR_SUCCESS)
        return;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, to, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &target.h,
                        nullptr) != ERROR_SUCCESS)
        return;
    RegCopyTreeA(source.h, nullptr, target.h);
}

} // namespace

MovedAside::MovedAside(const char* key) : m_key(key) {
    static int serial = 0;
    m_backup = std::string(kBackupRoot) + "\\" + std::to_string(++serial);
    m_existed = KeyExists(key);
    if (m_existed) {
        CopyTree(key, m_backup.c_str());
        DeleteTree(key);
    }
}

MovedAside::~MovedAside() {
    DeleteTree(m_key.c_str());
    if (m_existed) {
        CopyTree(m_backup.c_str(), m_key.c_str());
        DeleteTree(m_backup.c_str());
    }
    // Fails, as it should, while another backup is still held below it.
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kBackupRoot);
}

} // namespace regtest
