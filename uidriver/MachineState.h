// Known registry and disk state for scenarios, and the Wine settings that make the test
// machine look like another one (an older Windows, a floppy drive, a CD-ROM drive).
//
// Everything here acts on the Wine prefix the test program runs in and is seen at once by a
// program started afterwards. What was found about Wine 8 (the driver's own tests check what
// the driver relies on; the hand-made symlink was tried by hand):
//
// - Windows version per executable: HKCU\Software\Wine\AppDefaults\<exe name>\Version ("win98",
//   "win31", "winxp", ...) applies to every process started after the value is written, without
//   restarting wineserver. "win98" gives platform id 1 (version 4.10), "win31" platform id 0
//   (version 3.10); without the value the prefix's default (here platform id 2) applies.
// - Drives: a symlink created by hand in the prefix's dosdevices folder makes the letter usable
//   for files at once, but GetLogicalDrives does not list it and GetDriveTypeA reports it as
//   fixed (3) whatever HKLM\Software\Wine\Drives says, until wineserver is restarted
//   (`wineserver -k`). The Drives key is read only when Wine's mount manager starts.
// - The mount manager itself (the \\.\MountPointManager device, Wine's own
//   IOCTL_MOUNTMGR_DEFINE_UNIX_DRIVE, which winecfg uses) defines a letter with a type at once,
//   for every process: it writes the dosdevices symlink and the Drives value and updates its own
//   table, so GetDriveTypeA and GetLogicalDrives see the drive at once. DefineWineDrive uses it,
//   so no host-side script and no wineserver restart are needed. Removing a letter the same way
//   makes GetDriveTypeA report DRIVE_NO_ROOT_DIR at once, but GetLogicalDrives keeps listing the
//   letter until wineserver restarts.
// - A removable drive whose folder does not exist behaves as a floppy drive without a disk:
//   GetDriveTypeA gives 2 (DRIVE_REMOVABLE), FindFirstFileA on "A:\*.*" fails with error 3 and
//   GetDiskFreeSpaceA fails, without any system error box when the program has set
//   SEM_FAILCRITICALERRORS.
#pragma once

#include "Wait.h"

#include <windows.h>

#include <optional>
#include <string>

namespace ui {

// --- Registry (through the registry of the Wine prefix) ---

// Deletes a key with all its subkeys and values; a missing key is fine.
void DeleteRegistryKey(HKEY root, const std::string& subkey, Where where = {});
// Creates the key (with any missing parents) and sets a REG_SZ value (name "" is the default
// value).
void SetRegistryString(HKEY root, const std::string& subkey, const std::string& name,
                       const std::string& value, Where where = {});
// The text of a REG_SZ or REG_EXPAND_SZ value without its terminating zero; nothing when the key
// or the value is missing or has another type.
std::optional<std::string> ReadRegistryString(HKEY root, const std::string& subkey,
                                              const std::string& name);
// Whether the key exists; `view` (KEY_WOW64_32KEY or KEY_WOW64_64KEY) looks in that registry
// view of 64-bit Windows instead of the program's own.
bool RegistryKeyExists(HKEY root, const std::string& subkey, REGSAM view = 0);
// On 64-bit Windows, the registry view of the other architecture (KEY_WOW64_64KEY for a 32-bit
// program, KEY_WOW64_32KEY for a 64-bit one); 0 on 32-bit Windows, which has one view.
REGSAM OtherRegistryView();

// A value as stored: its type and every byte the registry returns (a text's NUL included).
struct RegistryValue {
    DWORD type = 0;
    std::string bytes;
};
// Nothing when the key or the value is missing (name "" is the default value).
std::optional<RegistryValue> ReadRegistryValue(HKEY root, const std::string& subkey,
                                               const std::string& name);
// Creates the key (with any missing parents) and sets a value of any type from its bytes.
void SetRegistryValue(HKEY root, const std::string& subkey, const std::string& name, DWORD type,
                      const std::string& bytes, Where where = {});
// The number of values of the key, or -1 when it cannot be opened.
int RegistryValueCount(HKEY root, const std::string& subkey);

// Moves a key with its subkeys out of the way for the life of the object, then puts it back as
// it was; whatever the test left in its place is removed first.
class ScopedRegistryKeyAside {
public:
    ScopedRegistryKeyAside(HKEY root, const std::string& subkey, Where where = {});
    ~ScopedRegistryKeyAside();
    ScopedRegistryKeyAside(const ScopedRegistryKeyAside&) = delete;
    ScopedRegistryKeyAside& operator=(const ScopedRegistryKeyAside&) = delete;

private:
    HKEY root_;
    std::string subkey_, backup_;
    bool existed_ = false;
};

// Sets a REG_SZ value (or, with no value, deletes it) for the life of the object; then puts back
// what was there before, its type included, or deletes the value when there was none.
class ScopedRegistryValue {
public:
    ScopedRegistryValue(HKEY root, const std::string& subkey, const std::string& name,
                        const std::optional<std::string>& value, Where where = {});
    ~ScopedRegistryValue();
    ScopedRegistryValue(const ScopedRegistryValue&) = delete;
    ScopedRegistryValue& operator=(const ScopedRegistryValue&) = delete;

private:
    HKEY root_;
    std::string subkey_, name_;
    bool existed_ = false;
    DWORD type_ = 0;
    std::string data_; // the bytes as stored
};

// --- Files and folders ---

// Creates the folder and any missing parents.
void CreateFolders(const std::string& path, Where where = {});
// Creates or replaces a file with these bytes.
void WriteFileBytes(const std::string& path, const std::string& bytes, Where where = {});
// The whole file; fails when it cannot be read.
std::string ReadFileBytes(const std::string& path, Where where = {});
// Deletes a file or a folder with everything inside (read-only files too); missing is fine.
void RemoveTree(const std::string& path, Where where = {});
bool PathExists(const std::string& path);
bool IsFolder(const std::string& path);
// The folder of the running program, with a trailing backslash (the build puts the programs a
// test starts next to it).
std::string ProgramFolder();

// A new empty folder under the temporary folder (or `parent`), removed with its contents when
// the object goes away.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::string& parent = "", Where where = {});
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& Path() const { return path_; }
    // Path() followed by a backslash and `name`.
    std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

private:
    std::string path_;
};

// --- Wine ---

bool RunningUnderWine();
// The host path of a Windows path (Wine's wine_get_unix_file_name); fails outside Wine.
std::string HostPath(const std::string& windowsPath, Where where = {});

// Makes Wine report `version` ("win98", "win31", "winxp", ...) to processes of `exeName` (a file
// name such as "krzsetup.exe") started while the object lives; restores the previous setting
// afterwards.
class ScopedWindowsVersion {
public:
    ScopedWindowsVersion(const std::string& exeName, const std::string& version, Where where = {});
    ~ScopedWindowsVersion();
    ScopedWindowsVersion(const ScopedWindowsVersion&) = delete;
    ScopedWindowsVersion& operator=(const ScopedWindowsVersion&) = delete;

private:
    std::string key_;
    std::optional<std::string> previous_;
};

// What Wine's mount manager knows of a drive letter.
struct WineDrive {
    UINT type = DRIVE_NO_ROOT_DIR; // DRIVE_REMOVABLE, DRIVE_FIXED, DRIVE_CDROM, ...
    std::string hostFolder;        // where the letter points on the host
};

std::optional<WineDrive> QueryWineDrive(char letter);
// Points drive `letter` at `hostFolder` (a host path; it need not exist) with the drive type
// `type` (DRIVE_REMOVABLE, DRIVE_FIXED, DRIVE_REMOTE, DRIVE_CDROM, DRIVE_RAMDISK), at once.
void DefineWineDrive(char letter, const std::string& hostFolder, UINT type, Where where = {});
// Removes drive `letter`.
void RemoveWineDrive(char letter, Where where = {});

// The host folder of the small disk that CTest mounts for the tests requiring the fixture
// "ui_tiny_disk" (environment variable KRZ_TINY_DISK); fails when there is none. Map it to a
// letter with ScopedWineDrive. On a full disk Wine's WriteFile reports success with fewer bytes
// written than asked (Windows fails with ERROR_DISK_FULL).
std::string TinyDiskHostFolder(Where where = {});

// Defines a drive for the life of the object and puts back what the mount manager knew of the
// letter before. A dosdevices link made by hand is unknown to it: the letter is then removed
// afterwards, link and all. So scenarios take letters that no CTest fixture links by hand
// (the tests' full-disk fixture links T:).
class ScopedWineDrive {
public:
    ScopedWineDrive(char letter, const std::string& hostFolder, UINT type, Where where = {});
    ~ScopedWineDrive();
    ScopedWineDrive(const ScopedWineDrive&) = delete;
    ScopedWineDrive& operator=(const ScopedWineDrive&) = delete;

private:
    char letter_;
    std::optional<WineDrive> previous_;
};

} // namespace ui
