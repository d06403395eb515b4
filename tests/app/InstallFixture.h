// The installation scenarios' common ground: the installer run as its own process, the user's
// shell folders moved into each scenario's scratch folder, links made on the host, and files
// outside the installation folder that must stay as they are.
#pragma once

#include <gtest/gtest.h>

#include <objbase.h>

#include "InstallerKeys.h"
#include "PayloadLayout.h"
#include "TestSupport.h"
#include "UiDriver.h"

#include <cstring>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace scenario {

inline constexpr char kTitle[] = "Setup Quorbelix";
inline constexpr char kReady[] = "Install Quorbelix?";
inline constexpr char kInstalled[] =
    "The program has been successfully installed\r\n\r\n"
    "A shortcut (named KRZ) can be found on Windows Desktop and in "
    "\"Programs\" of Windows \"Start\".";

// A host file as Wine sees it (drive Z: is the host's root).
inline std::string HostFile(const std::string& hostPath) {
    std::string path = "Z:" + hostPath;
    for (char& c : path)
        c = c == '/' ? '\\' : c;
    return path;
}

// The files the payload was packed from.
inline std::string PackedFile(const char* name) {
    return HostFile(std::string(KRZ_PAYLOAD_DIR) + "/" + name);
}

inline std::vector<std::string> PackedFiles() {
    std::vector<std::string> files;
    for (const char* name : payload::kFileList)
        files.push_back(PackedFile(name));
    return files;
}

// The names in a folder.
inline std::set<std::string> Names(const std::string& folder) {
    std::set<std::string> names;
    WIN32_FIND_DATAA data;
    const HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (std::strcmp(data.cFileName, ".") != 0 && std::strcmp(data.cFileName, "..") != 0)
            names.insert(data.cFileName);
    } while (FindNextFileA(find, &data));
    FindClose(find);
    return names;
}

// Links made on the host by its own ln, each `link` (symbolic, or hard) to its `target`.
// Wine cannot wait for a host program: the shell leaves a marker when done.
struct Link {
    std::string target, link;
    bool symbolic;
};
inline void HostLinks(const std::vector<Link>& links) {
    const std::string marker = links.front().link + ".made";
    std::string script;
    for (const Link& l : links)
        script += std::string("ln ") + (l.symbolic ? "-s " : "") + ui::HostPath(l.target) + " " +
                  ui::HostPath(l.link) + " && ";
    script += "touch " + ui::HostPath(marker);
    ASSERT_EQ(script.find_first_of("\"'"), std::string::npos) << script;
    ASSERT_TRUE(ui::StartHostShell(script)) << GetLastError();
    ASSERT_TRUE(ui::WaitUntil([&] { return ui::PathExists(marker); })) << script;
    ui::RemoveTree(marker);
}

// A file outside the installation folder, with bytes and a last-write time of its own.
class OutsideFile {
public:
    explicit OutsideFile(std::string path) : path_(std::move(path)) {
        ui::WriteFileBytes(path_, Bytes());
        const HANDLE file = CreateFileA(path_.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        EXPECT_TRUE(SetFileTime(file, nullptr, nullptr, &kOld));
        CloseHandle(file);
    }
    const std::string& Path() const { return path_; }
    void ExpectUntouched() const {
        SCOPED_TRACE(path_);
        ASSERT_TRUE(ui::PathExists(path_));
        EXPECT_EQ(ui::ReadFileBytes(path_), Bytes());
        EXPECT_EQ(Ticks(FileTimeOf(path_.c_str(), 2)), Ticks(kOld));
    }

private:
    std::string Bytes() const { return "outside the folder: " + path_; }
    static constexpr FILETIME kOld = {0x12345678, 0x01D00000}; // in 2014
    std::string path_;
};

// Whether `path` exists, and whether some process holds it open so that it cannot be read.
inline bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}
inline bool HeldOpen(const std::string& path) {
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
        return false;
    }
    return GetLastError() == ERROR_SHARING_VIOLATION;
}

// Every scenario starts with no installation recorded and with the user's Desktop and Programs
// folders moved into its scratch folder (away from the prefix's own Desktop);
// afterwards the shell folders are put back and the entries removed.
class Install : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
        RemoveEntries();
        ui::CreateFolders(desktop_);
        ui::CreateFolders(programs_);
    }
    void TearDown() override {
        // No scenario leaves a shortcut on the prefix's own Desktop (a folder of the prefix, never
        // the host user's home: cmake/wine-run.in).
        char profile[MAX_PATH] = {};
        GetEnvironmentVariableA("USERPROFILE", profile, MAX_PATH);
        const std::string stray = std::string(profile) + "\\Desktop\\KRZ.lnk";
        if (*profile && ui::PathExists(stray)) {
            ADD_FAILURE() << "a shortcut went to " << stray;
            ui::RemoveTree(stray);
        }
        RemoveEntries();
        CoUninitialize();
    }

    static void RemoveEntries() {
        ui::DeleteRegistryKey(HKEY_LOCAL_MACHINE, keys::kAppPathEntry);
        ui::DeleteRegistryKey(HKEY_LOCAL_MACHINE, keys::kUninstallEntry);
    }

    // A copy of the installer (or of another program beside the tests) in the scratch folder.
    std::string Installer(const std::string& name = "krzsetup.exe") {
        const std::string copy = scratch_ / name;
        if (!ui::PathExists(copy)) {
            EXPECT_TRUE(CopyFileA((ui::ProgramFolder() + name).c_str(), copy.c_str(), TRUE));
        }
        return copy;
    }

    // Types `folder` into the path edit and presses OK; returns once the dialog is finished.
    static void InstallInto(const ui::Window& dialog, const std::string& folder) {
        dialog.Item(1001).SetText(folder);
        dialog.Item(IDOK).Click();
        dialog.Item(IDCANCEL).WaitForText("Close");
    }

    // The finished dialog: the success text and Close, nothing else.
    static void ExpectFinished(const ui::Window& dialog) {
        EXPECT_EQ(dialog.Item(1002).Text(), kInstalled);
        EXPECT_EQ(dialog.Item(IDCANCEL).Text(), "Close");
        EXPECT_TRUE(dialog.Item(IDCANCEL).Visible());
        for (const int id : {IDOK, 1001, 1003})
            EXPECT_FALSE(dialog.Item(id).Visible()) << id;
        for (const ui::Window& child : dialog.Children())
            EXPECT_FALSE(child.Id() == 1000 && child.Visible()) << "the browse button shows";
    }

    // The dialog as it was before the run, the folder still in the path edit.
    static void ExpectReady(const ui::Window& dialog, const std::string& folder) {
        EXPECT_EQ(dialog.Item(1002).Text(), kReady);
        EXPECT_EQ(dialog.Item(1001).Text(), folder);
        EXPECT_EQ(dialog.Item(IDCANCEL).Text(), "Cancel");
        for (const int id : {IDOK, IDCANCEL, 1001, 1003})
            EXPECT_TRUE(dialog.Item(id).Visible()) << id;
    }

    // The four files as packed (from `sources`, in file-list order), stamped 17 January 2005,
    // 14:00:00 local time; no krz.tmp.
    static void ExpectFiles(const std::string& folder,
                            const std::vector<std::string>& sources = PackedFiles()) {
        for (std::size_t i = 0; i < sources.size(); ++i) {
            const char* name = payload::kFileList[i];
            SCOPED_TRACE(name);
            const std::string path = folder + "\\" + name;
            ASSERT_TRUE(ui::PathExists(path));
            EXPECT_TRUE(ui::ReadFileBytes(path) == ui::ReadFileBytes(sources[i]));
            EXPECT_EQ(Ticks(FileTimeOf(path.c_str(), 0)), ExpectedStampTicks());
            EXPECT_EQ(Ticks(FileTimeOf(path.c_str(), 2)), ExpectedStampTicks());
        }
        EXPECT_FALSE(ui::PathExists(folder + "\\krz.tmp"));
    }

    // Both shortcuts start folder\KRZ.exe; both entries name the folder.
    void ExpectRegistered(const std::string& folder) const {
        for (const std::string& place : {desktop_, programs_}) {
            SCOPED_TRACE(place);
            const std::optional<ui::Shortcut> link = ui::ReadShortcut(place + "\\KRZ.lnk");
            ASSERT_TRUE(link);
            EXPECT_EQ(link->path, folder + "\\KRZ.exe");
            EXPECT_EQ(link->description, "Quorbelix");
        }
        EXPECT_EQ(ui::ReadRegistryString(HKEY_LOCAL_MACHINE, keys::kAppPathEntry, ""),
                  folder + "\\KRZ.EXE");
        EXPECT_EQ(ui::ReadRegistryString(HKEY_LOCAL_MACHINE, keys::kAppPathEntry, "Path"), folder);
        EXPECT_EQ(ui::ReadRegistryString(HKEY_LOCAL_MACHINE, keys::kAppPathEntry, "SpecialBuild"),
                  "");
        EXPECT_EQ(ui::ReadRegistryString(HKEY_LOCAL_MACHINE, keys::kUninstallEntry, "DisplayName"),
                  "Quorbelix");
        // The command is quoted when the folder holds a blank.
        const std::string uninstaller = folder + "\\Uninstall.exe";
        EXPECT_EQ(
            ui::ReadRegistryString(HKEY_LOCAL_MACHINE, keys::kUninstallEntry, "UninstallString"),
            folder.find(' ') == std::string::npos ? uninstaller : "\"" + uninstaller + "\"");
        // The uninstall entry is in the registry view of the installer's own architecture (the
        // test programs are built for the same one), and only there. (Wine keeps the
        // application path entries in one key that both views show.)
        if (const REGSAM other = ui::OtherRegistryView()) {
            EXPECT_FALSE(ui::RegistryKeyExists(HKEY_LOCAL_MACHINE, keys::kUninstallEntry, other));
        }
    }

    void ExpectNothingRegistered() const {
        EXPECT_FALSE(ui::PathExists(desktop_ + "\\KRZ.lnk"));
        EXPECT_FALSE(ui::PathExists(programs_ + "\\KRZ.lnk"));
        ExpectNoEntries(0);
        if (const REGSAM other = ui::OtherRegistryView())
            ExpectNoEntries(other);
    }

    // Neither entry in the registry `view` (0: the program's own).
    static void ExpectNoEntries(REGSAM view) {
        for (const char* entry : {keys::kAppPathEntry, keys::kUninstallEntry})
            EXPECT_FALSE(ui::RegistryKeyExists(HKEY_LOCAL_MACHINE, entry, view))
                << entry << " in view " << std::hex << view;
    }

    ui::ScratchFolder scratch_;
    const std::string desktop_ = scratch_ / "Desktop";
    const std::string programs_ = scratch_ / "Programs";
    // Wine writes "Shell Folders" anew from "User Shell Folders" whenever a program asks the
    // shell for a folder (its desktop process when it starts, the shell link object after it
    // has saved a shortcut); Windows leaves it alone. Both point at the scratch folders.
    const ui::ScopedRegistryValue desktopValue_{HKEY_CURRENT_USER, keys::kShellFolders, "Desktop",
                                                desktop_};
    const ui::ScopedRegistryValue programsValue_{HKEY_CURRENT_USER, keys::kShellFolders, "Programs",
                                                 programs_};
    const ui::ScopedRegistryValue userDesktop_{HKEY_CURRENT_USER, keys::kUserShellFolders,
                                               "Desktop", desktop_};
    const ui::ScopedRegistryValue userPrograms_{HKEY_CURRENT_USER, keys::kUserShellFolders,
                                                "Programs", programs_};
};

} // namespace scenario
