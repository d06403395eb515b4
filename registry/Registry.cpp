#include "Registry.h"

#include <windows.h>
#include <winver.h>

#include "AfxModule.h"
#include "CRegKeyChain.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace registry {

namespace {

// The application path entry's subkey and the last component of its default value. The
// installed file is "KRZ.exe"; the registry spells it in upper case.
const CString kExecutableName("KRZ.EXE");

const char kProductName[] = "Quorbelix";
const char kUninstaller[] = "\\Uninstall.exe";

// HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\<last>, opened one component
// at a time.
class CurrentVersionKey : public CRegKeyChain {
public:
    explicit CurrentVersionKey(const char* last)
        : CRegKeyChain(HKEY_LOCAL_MACHINE,
                       {"SOFTWARE", "Microsoft", "Windows", "CurrentVersion", last}) {}
};

// The shell folder values are read into a buffer of this many bytes, NUL included.
constexpr DWORD kShellFolderBuffer = 260;

// A text value of at most kShellFolderBuffer bytes, or the empty text when it cannot be read.
CString QueryFolder(const CRegKey& key, const char* name) {
    CString folder;
    key.QueryStringValue(name, kShellFolderBuffer, folder);
    return folder;
}

} // namespace

CString ReadPreviousInstallFolder() {
    CString folder;
    CurrentVersionKey chain("App Paths");
    if (!chain.IsOpen())
        return folder;
    CRegKey entry;
    if (!entry.Open(chain.Last(), kExecutableName))
        return folder;
    // 260 characters and the NUL; a longer value is refused by the query and gives nothing.
    entry.QueryStringValue("Path", 261, folder);
    return folder;
}

bool WriteAppPathEntry(const CString& installFolder, CString& specialBuild) {
    const CString name = kExecutableName;
    CurrentVersionKey chain("App Paths");
    if (!chain.IsOpen())
        return false;
    CRegKey entry;
    if (!entry.Create(chain.Last(), name))
        return false;
    LONG failed = entry.SetStringValue(nullptr, installFolder + "\\" + name);
    failed |= entry.SetStringValue("Path", installFolder);
    ReadSpecialBuild(specialBuild);
    failed |= entry.SetStringValue("SpecialBuild", specialBuild);
    return failed == ERROR_SUCCESS;
}

bool WriteUninstallEntry(const CString& installFolder) {
    CurrentVersionKey chain("Uninstall");
    if (!chain.IsOpen())
        return false;
    CRegKey entry;
    if (!entry.Create(chain.Last(), kProductName))
        return false;
    const LONG failed = entry.SetStringValue("DisplayName", kProductName);
    // Unquoted, a command with a blank in its path lets the system try each prefix ending at
    // a blank as a program of its own (C:\Program.exe for C:\Program Files\...).
    CString command = installFolder + kUninstaller;
    if (command.Find(' ') >= 0)
        command = "\"" + command + "\"";
    return (failed | entry.SetStringValue("UninstallString", command)) == ERROR_SUCCESS;
}

void ReadSpecialBuild(CString& specialBuild) {
    const CString path = AfxGetModuleFileName();
    if (path.IsEmpty())
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

ShellFolders ReadShellFolders() {
    ShellFolders folders;
    const CRegKeyChain chain(HKEY_CURRENT_USER, {"Software", "Microsoft", "Windows",
                                                 "CurrentVersion", "Explorer", "Shell folders"});
    if (!chain.IsOpen())
        return folders;
    folders.desktop = QueryFolder(chain.LastKey(), "Desktop");
    folders.programs = QueryFolder(chain.LastKey(), "Programs");
    return folders;
}

} // namespace registry
