#include "Registry.h"

#include <windows.h>
#include <winver.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

// The application path entry's subkey and the last component of its default value. The
// installed file is "KRZ.exe"; the registry spells it in upper case.
const CString kExecutableName("KRZ.EXE");

const char kProductName[] = "Quorbelix";
const char kUninstaller[] = "\\Uninstall.exe";

// One open registry key, closed when it goes out of scope.
class RegKey {
public:
    RegKey() = default;
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;
    ~RegKey() {
        if (m_key)
            RegCloseKey(m_key);
    }

    // Opens the existing key `name` below `parent`; creates nothing.
    bool Open(HKEY parent, const char* name) {
        HKEY key = nullptr;
        if (RegOpenKeyA(parent, name, &key) != ERROR_SUCCESS || !key)
            return false;
        m_key = key;
        return true;
    }

    // Creates `name` below `parent`, or opens it when it exists.
    bool Create(HKEY parent, const char* name) {
        HKEY key = nullptr;
        DWORD disposition = 0;
        if (RegCreateKeyExA(parent, name, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                            nullptr, &key, &disposition) != ERROR_SUCCESS ||
            !key)
            return false;
        m_key = key;
        return true;
    }

    HKEY Get() const { return m_key; }

private:
    HKEY m_key = nullptr;
};

// HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\<last>, opened one component
// at a time; the keys close in the reverse order of their opening.
class ParentChain {
public:
    explicit ParentChain(const char* last) {
        static const char* const components[] = {"SOFTWARE", "Microsoft", "Windows",
                                                 "CurrentVersion"};
        HKEY parent = HKEY_LOCAL_MACHINE;
        for (const char* name : components) {
            if (!m_keys[m_count].Open(parent, name))
                return;
            parent = m_keys[m_count++].Get();
        }
        if (m_keys[m_count].Open(parent, last))
            ++m_count;
    }

    bool IsOpen() const { return m_count == kDepth; }
    HKEY Last() const { return m_keys[kDepth - 1].Get(); }

private:
    static constexpr int kDepth = 5;
    // Members are destroyed from the last to the first.
    RegKey m_keys[kDepth];
    int m_count = 0;
};

// A REG_SZ value: the text and its NUL, the NUL counted.
void SetText(HKEY key, const char* name, const CString& text) {
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.GetString()),
                   DWORD(text.GetLength() + 1));
}

} // namespace

CString ReadPreviousInstallFolder() {
    CString folder;
    ParentChain chain("App Paths");
    if (!chain.IsOpen())
        return folder;
    RegKey entry;
    if (!entry.Open(chain.Last(), kExecutableName))
        return folder;
    char buffer[261];
    DWORD size = sizeof buffer;
    if (RegQueryValueExA(entry.Get(), "Path", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer),
                         &size) == ERROR_SUCCESS) {
        // The data need not end in a NUL: take no more than the bytes the query returned.
        const std::size_t limit = size < sizeof buffer ? size : sizeof buffer;
        folder = CString(buffer, int(strnlen(buffer, limit)));
    }
    return folder;
}

void WriteAppPathEntry(const CString& installFolder, CString& specialBuild) {
    const CString name = kExecutableName;
    ParentChain chain("App Paths");
    if (!chain.IsOpen())
        return;
    RegKey entry;
    if (!entry.Create(chain.Last(), name))
        return;
    SetText(entry.Get(), nullptr, installFolder + "\\" + name);
    SetText(entry.Get(), "Path", installFolder);
    ReadSpecialBuild(specialBuild);
    SetText(entry.Get(), "SpecialBuild", specialBuild);
}

void WriteUninstallEntry(const CString& installFolder) {
    ParentChain chain("Uninstall");
    if (!chain.IsOpen())
        return;
    RegKey entry;
    if (!entry.Create(chain.Last(), kProductName))
        return;
    SetText(entry.Get(), "DisplayName", kProductName);
    // Unquoted, a command with a blank in its path lets the system try each prefix ending at
    // a blank as a program of its own (C:\Program.exe for C:\Program Files\...).
    CString command = installFolder + kUninstaller;
    if (command.Find(' ') >= 0)
        command = "\"" + command + "\"";
    SetText(entry.Get(), "UninstallString", command);
}

void ReadSpecialBuild(CString& specialBuild) {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    // A full buffer means a truncated path, which older systems leave without its NUL.
    if (length == 0 || length >= MAX_PATH)
        return;
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeA(path, &handle);
    if (size == 0)
        return;
    std::vector<char> block(size);
    specialBuild.Empty();
    if (!GetFileVersionInfoA(path, handle, size, block.data()))
        return;
    char* value = nullptr;
    UINT valueLength = 0;
    if (VerQueryValueA(block.data(), "\\StringFileInfo\\040904B0\\SpecialBuild",
                       reinterpret_cast<void**>(&value), &valueLength) &&
        value) {
        // The text ends at its NUL, and never past the end of the block.
        const auto first = reinterpret_cast<std::uintptr_t>(block.data());
        const auto at = reinterpret_cast<std::uintptr_t>(value);
        if (at >= first && at < first + block.size())
            specialBuild = CString(value, int(strnlen(value, first + block.size() - at)));
        else
            specialBuild = value;
    }
    specialBuild.TrimLeft();
    specialBuild.TrimRight();
}
