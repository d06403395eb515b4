// The installation run as a user meets it: krzsetup.exe runs as its own process under the UI
// driver, installs for real into the Wine prefix, and the scenarios look at the files, the
// shortcuts and the registry entries it leaves, and at the dialog after each failure.
#include <gtest/gtest.h>

#include <objbase.h>

#include "InstallerKeys.h"
#include "PayloadLayout.h"
#include "TestSupport.h"
#include "UiDriver.h"

#include <optional>
#include <string>
#include <vector>

namespace {

const char kTitle[] = "Setup Quorbelix";
const char kReady[] = "Install Quorbelix?";
const char kInstalled[] = "The program has been successfully installed\r\n\r\n"
                          "A shortcut (named KRZ) can be found on Windows Desktop and in "
                          "\"Programs\" of Windows \"Start\".";
const char kCannotCreate[] = "Cannot create directory";

// The files the payload was packed from, on the host (drive Z: is the host's root).
std::string PackedFile(const char* name) {
    std::string path = std::string("Z:") + KRZ_PAYLOAD_DIR + "/" + name;
    for (char& c : path)
        c = c == '/' ? '\\' : c;
    return path;
}

// Every scenario starts with no installation recorded and with the user's Desktop and Programs
// folders moved into its scratch folder (the prefix's own Desktop is the host user's home);
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
        // The prefix's own Desktop is the host user's home: no scenario leaves a shortcut there.
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

    // A copy of the installer in the scratch folder.
    std::string Installer() {
        const std::string copy = scratch_ / "krzsetup.exe";
        if (!ui::PathExists(copy)) {
            EXPECT_TRUE(
                CopyFileA((ui::ProgramFolder() + "krzsetup.exe").c_str(), copy.c_str(), TRUE));
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

    // The four files as packed, stamped 17 January 2005, 14:00:00 local time; no krz.tmp.
    static void ExpectFiles(const std::string& folder) {
        for (const char* name : payload::kFileList) {
            SCOPED_TRACE(name);
            const std::string path = folder + "\\" + name;
            ASSERT_TRUE(ui::PathExists(path));
            EXPECT_TRUE(ui::ReadFileBytes(path) == ui::ReadFileBytes(PackedFile(name)));
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
    }

    void ExpectNothingRegistered() const {
        EXPECT_FALSE(ui::PathExists(desktop_ + "\\KRZ.lnk"));
        EXPECT_FALSE(ui::PathExists(programs_ + "\\KRZ.lnk"));
        EXPECT_FALSE(ui::RegistryKeyExists(HKEY_LOCAL_MACHINE, keys::kAppPathEntry));
        EXPECT_FALSE(ui::RegistryKeyExists(HKEY_LOCAL_MACHINE, keys::kUninstallEntry));
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

TEST_F(Install, IntoTheProposedFolderThenAgainOverIt) {
    const std::string folder = "C:\\Program Files\\Tessarin Software\\Quorbelix";
    struct Cleanup {
        ~Cleanup() { ui::RemoveTree("C:\\Program Files\\Tessarin Software"); }
    } cleanup;
    ui::RemoveTree("C:\\Program Files\\Tessarin Software");
    {
        ui::Process setup(Installer(), "", scratch_.Path());
        const ui::Window dialog = setup.WaitForDialog(kTitle);
        ASSERT_EQ(dialog.Item(1001).Text(), folder);
        dialog.Item(IDOK).Click();
        dialog.Item(IDCANCEL).WaitForText("Close");
        ExpectFinished(dialog);
        ExpectFiles(folder);
        ExpectRegistered(folder);
        EXPECT_TRUE(setup.MessageBoxes().empty());
        // OK, by Enter, now closes the installer.
        dialog.PressKey(VK_RETURN);
        EXPECT_EQ(setup.WaitForExit(), 0u);
    }

    // The next start finds the installation, and reinstalls over it when told to.
    const std::string help = folder + "\\KRZ.cnt";
    ui::WriteFileBytes(help, "changed since");
    ui::RemoveTree(desktop_ + "\\KRZ.lnk");
    ui::RemoveTree(programs_ + "\\KRZ.lnk");
    ui::Process setup(Installer(), "", scratch_.Path(), {IDYES});
    EXPECT_EQ(setup.WaitForMessageBox().text, "A previous installation of KRZ found\r\nReinstall?");
    const ui::Window dialog = setup.WaitForDialog(kTitle);
    EXPECT_EQ(dialog.Item(1001).Text(), folder);
    dialog.Item(IDOK).Click();
    dialog.Item(IDCANCEL).WaitForText("Close");
    ExpectFiles(folder);
    ExpectRegistered(folder);
    dialog.Command(IDOK); // OK, hidden as it is, closes the installer too
    EXPECT_EQ(setup.WaitForExit(), 0u);
}

TEST_F(Install, TrailingBackslashAndEnterInThePathEdit) {
    const std::string folder = scratch_ / "Quorbelix";
    ui::Process setup(Installer(), "", scratch_.Path());
    const ui::Window dialog = setup.WaitForDialog(kTitle);
    const ui::Window edit = dialog.Item(1001);
    edit.SetText(folder + "\\");
    edit.MouseClick();
    ASSERT_TRUE(ui::WaitUntil([&] { return dialog.Focus() == edit; }));
    dialog.PressKey(VK_RETURN);
    dialog.Item(IDCANCEL).WaitForText("Close");
    ExpectFiles(folder);
    ExpectRegistered(folder);
    dialog.Item(IDCANCEL).Click();
    EXPECT_EQ(setup.WaitForExit(), 0u);
}

// One installer through every folder it cannot make, each time back in the ready state, and
// then through a deep folder that it makes: OK after a failure runs the whole installation.
TEST_F(Install, FolderCreation) {
    const std::string file = scratch_ / "x.txt";
    ui::WriteFileBytes(file, "a file");
    std::string forward = scratch_ / "missing\\sub";
    for (char& c : forward)
        c = c == '\\' ? '/' : c;
    // 240 characters once the blanks and the tab around it are gone.
    std::string long240 = scratch_ / "long";
    while (long240.size() < 240)
        long240 += "\\" + std::string(std::min<size_t>(20, 239 - long240.size()), 'd');
    ASSERT_EQ(long240.size(), 240u);

    struct Case {
        const char* what;
        std::string folder;
        std::string message;
    };
    const Case cases[] = {
        {"240 characters", "  " + long240 + "\t",
         std::string(kCannotCreate) + "\r\nPath length exceeds 256"},
        {"no such drive", "Q:\\Quorbelix", kCannotCreate},
        {"forward slashes", forward, kCannotCreate},
        {"forward slashes after backslashes", scratch_ / "missing/sub", kCannotCreate},
        {"empty", "", kCannotCreate},
        {"through a file", file + "\\sub", kCannotCreate},
        {"a file of that name", file, "File Error"},
    };
    ASSERT_FALSE(ui::PathExists("Q:\\"));
    ui::Process setup(Installer(), "", scratch_.Path());
    const ui::Window dialog = setup.WaitForDialog(kTitle);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        setup.Answer(IDOK);
        dialog.Item(1001).SetText(c.folder);
        dialog.Item(IDOK).Click();
        const ui::MessageBoxRecord box = setup.WaitForMessageBox();
        EXPECT_EQ(box.text, c.message);
        EXPECT_EQ(box.buttons, std::vector<int>{IDOK});
        ASSERT_TRUE(ui::WaitUntil([&] { return setup.PendingAnswers() == 0; }));
        ExpectReady(dialog, c.folder);
        ExpectNothingRegistered();
    }
    EXPECT_FALSE(ui::PathExists(scratch_ / "long"));
    EXPECT_FALSE(ui::PathExists(scratch_ / "missing"));
    EXPECT_EQ(ui::ReadFileBytes(file), "a file");

    // 239 characters, all its parents missing.
    const std::string long239 = long240.substr(0, 239);
    InstallInto(dialog, long239);
    ExpectFinished(dialog);
    ExpectFiles(long239);
    ExpectRegistered(long239);
    EXPECT_EQ(setup.MessageBoxes().size(), std::size(cases));
    dialog.Item(IDCANCEL).Click();
    EXPECT_EQ(setup.WaitForExit(), 0u);
}

TEST_F(Install, TargetHeldOpenByAnotherProgram) {
    const std::string folder = scratch_ / "Quorbelix";
    ui::CreateFolders(folder);
    ui::WriteFileBytes(folder + "\\KRZ.exe", "old program");
    ui::WriteFileBytes(folder + "\\KRZ.hlp", "old help");
    const HANDLE held = CreateFileA((folder + "\\KRZ.hlp").c_str(), GENERIC_READ, 0, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);

    ui::Process setup(Installer(), "", scratch_.Path(), {IDOK});
    const ui::Window dialog = setup.WaitForDialog(kTitle);
    dialog.Item(1001).SetText(folder);
    dialog.Item(IDOK).Click();
    EXPECT_EQ(setup.WaitForMessageBox().text, "Error in installing");
    ASSERT_TRUE(ui::WaitUntil([&] { return setup.PendingAnswers() == 0; }));
    ExpectReady(dialog, folder);
    ExpectNothingRegistered();
    // KRZ.exe was replaced before; krz.tmp went with the entry that failed.
    EXPECT_TRUE(ui::ReadFileBytes(folder + "\\KRZ.exe") ==
                ui::ReadFileBytes(PackedFile("KRZ.exe")));
    EXPECT_FALSE(ui::PathExists(folder + "\\krz.tmp"));
    CloseHandle(held);
    EXPECT_EQ(ui::ReadFileBytes(folder + "\\KRZ.hlp"), "old help");
    dialog.Item(IDCANCEL).Click();
    EXPECT_EQ(setup.WaitForExit(), 0u);
}

// Drive T: is the small tmpfs of the payload tests' full-disk fixture.
TEST_F(Install, FullDiskThenRetriedAfterSpaceIsFreed) {
    ULARGE_INTEGER available, total;
    ASSERT_TRUE(GetDiskFreeSpaceExA("T:\\", &available, &total, nullptr))
        << "drive T: is missing: the full-disk fixture maps a small tmpfs there";
    ASSERT_LT(total.QuadPart, 64ull << 20) << "drive T: is not the small tmpfs";
    ui::ScratchFolder disk("T:\\");
    const std::string folder = disk / "Quorbelix";
    // Room for KRZ.exe, but not beside its compressed entry in krz.tmp.
    const size_t page = 4096;
    const size_t room = (ui::ReadFileBytes(PackedFile("KRZ.exe")).size() + page - 1) / page * page;
    const std::string filler = disk / "filler";
    ASSERT_GT(available.QuadPart, room);
    ui::WriteFileBytes(filler, std::string(size_t(available.QuadPart) - room, 'f'));

    ui::Process setup(Installer(), "", scratch_.Path(), {IDOK});
    const ui::Window dialog = setup.WaitForDialog(kTitle);
    dialog.Item(1001).SetText(folder);
    dialog.Item(IDOK).Click();
    EXPECT_EQ(setup.WaitForMessageBox().text, "Disk full\r\nCorrect and retry");
    ASSERT_TRUE(ui::WaitUntil([&] { return setup.PendingAnswers() == 0; }));
    ExpectReady(dialog, folder);
    ExpectNothingRegistered();
    EXPECT_FALSE(ui::PathExists(folder + "\\krz.tmp"));

    ui::RemoveTree(filler);
    InstallInto(dialog, folder);
    ExpectFiles(folder);
    ExpectRegistered(folder);
    dialog.Item(IDCANCEL).Click();
    EXPECT_EQ(setup.WaitForExit(), 0u);
}

// A Desktop folder that cannot be used costs its own shortcut only.
TEST_F(Install, DesktopFolderUnusable) {
    struct Case {
        const char* what;
        std::optional<std::string> desktop; // the "Desktop" value; none: no value
        bool terminated;                    // its NUL stored with it
    };
    const Case cases[] = {
        {"no value", std::nullopt, true},
        {"no such folder", scratch_ / "Gone", true},
        {"260 bytes without a NUL", "C:\\" + std::string(257, 'd'), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RemoveEntries();
        const std::string folder = scratch_ / c.what;
        ui::Process setup(Installer(), "", scratch_.Path());
        const ui::Window dialog = setup.WaitForDialog(kTitle);
        // Set once Wine's desktop process has started, so that it does not write it anew.
        const ui::ScopedRegistryValue desktop(HKEY_CURRENT_USER, keys::kShellFolders, "Desktop",
                                              c.desktop);
        if (!c.terminated)
            RegSetKeyValueA(HKEY_CURRENT_USER, keys::kShellFolders, "Desktop", REG_SZ,
                            c.desktop->data(), DWORD(c.desktop->size()));
        InstallInto(dialog, folder);
        ExpectFiles(folder);
        EXPECT_FALSE(ui::PathExists(desktop_ + "\\KRZ.lnk"));
        const std::optional<ui::Shortcut> programs = ui::ReadShortcut(programs_ + "\\KRZ.lnk");
        ASSERT_TRUE(programs);
        EXPECT_EQ(programs->path, folder + "\\KRZ.exe");
        EXPECT_EQ(ui::ReadRegistryString(HKEY_LOCAL_MACHINE, keys::kAppPathEntry, "Path"), folder);
        // No link at the root of the installer's drive, none in the missing Desktop.
        EXPECT_FALSE(ui::PathExists("C:\\KRZ.lnk"));
        EXPECT_FALSE(ui::PathExists(scratch_ / "Gone"));
        EXPECT_TRUE(setup.MessageBoxes().empty());
        dialog.Item(IDCANCEL).Click();
        EXPECT_EQ(setup.WaitForExit(), 0u);
        ui::RemoveTree(programs_ + "\\KRZ.lnk");
    }
}

} // namespace
