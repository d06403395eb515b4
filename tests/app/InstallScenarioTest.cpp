// The installation run as a user meets it: krzsetup.exe runs as its own process under the UI
// driver, installs for real into the Wine prefix, and the scenarios look at the files, the
// shortcuts and the registry entries it leaves, and at the dialog after each failure.
#include <gtest/gtest.h>

#include <objbase.h>
#include <winver.h>

#include "InstallFixture.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace scenario;

const char kCannotCreate[] = "Cannot create directory";

// Stops a program, as its debugger, the moment it loads a library; the program's threads all
// wait until Resume (or the end of the object), which lets it run on without a debugger.
class StopAtLibrary {
public:
    explicit StopAtLibrary(DWORD process) : process_(process) {
        attached_ = DebugActiveProcess(process) && DebugSetProcessKillOnExit(FALSE);
    }
    ~StopAtLibrary() { Resume(); }
    StopAtLibrary(const StopAtLibrary&) = delete;
    StopAtLibrary& operator=(const StopAtLibrary&) = delete;

    // Runs the program until it loads `name` (a file name such as "lz32.dll"), after the
    // breakpoint with which the attaching ends, and keeps it stopped there.
    bool WaitForLoad(const char* name) {
        bool attachDone = false;
        const ULONGLONG deadline = GetTickCount64() + ui::kTimeout;
        while (attached_ && GetTickCount64() < deadline) {
            if (pending_ && !ContinueDebugEvent(event_.dwProcessId, event_.dwThreadId, status_))
                return false;
            pending_ = false;
            if (!WaitForDebugEvent(&event_, 1000))
                continue;
            pending_ = true;
            status_ = DBG_CONTINUE;
            switch (event_.dwDebugEventCode) {
            case CREATE_PROCESS_DEBUG_EVENT:
                if (event_.u.CreateProcessInfo.hFile)
                    CloseHandle(event_.u.CreateProcessInfo.hFile);
                break;
            case LOAD_DLL_DEBUG_EVENT:
                if (const HANDLE file = event_.u.LoadDll.hFile) {
                    char path[MAX_PATH] = {};
                    const DWORD n = GetFinalPathNameByHandleA(file, path, MAX_PATH, 0);
                    CloseHandle(file);
                    const size_t length = std::strlen(name);
                    if (attachDone && n >= length && lstrcmpiA(path + n - length, name) == 0)
                        return true;
                }
                break;
            case EXCEPTION_DEBUG_EVENT:
                if (event_.u.Exception.ExceptionRecord.ExceptionCode == EXCEPTION_BREAKPOINT)
                    attachDone = true;
                else
                    status_ = DBG_EXCEPTION_NOT_HANDLED;
                break;
            default:
                break;
            }
        }
        return false;
    }

    void Resume() {
        if (pending_)
            ContinueDebugEvent(event_.dwProcessId, event_.dwThreadId, status_);
        pending_ = false;
        if (attached_)
            DebugActiveProcessStop(process_);
        attached_ = false;
    }

private:
    DWORD process_;
    bool attached_ = false;
    bool pending_ = false;
    DEBUG_EVENT event_ = {};
    DWORD status_ = DBG_CONTINUE;
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

// The folder as typed loses one trailing backslash and the white space at either end: the
// files, the shortcuts and both entries all name the folder that was created.
TEST_F(Install, TrailingBackslashBlanksAndEnterInThePathEdit) {
    const std::string folder = scratch_ / "Quorbelix";
    for (const std::string& typed : {folder + "\\", " \t" + folder + " ", folder + " \\ "}) {
        SCOPED_TRACE("typed: [" + typed + "]");
        RemoveEntries();
        ui::RemoveTree(folder);
        ui::Process setup(Installer(), "", scratch_.Path());
        const ui::Window dialog = setup.WaitForDialog(kTitle);
        const ui::Window edit = dialog.Item(1001);
        edit.SetText(typed);
        edit.MouseClick();
        ASSERT_TRUE(ui::WaitUntil([&] { return dialog.Focus() == edit; }));
        dialog.PressKey(VK_RETURN);
        dialog.Item(IDCANCEL).WaitForText("Close");
        ExpectFinished(dialog);
        ExpectFiles(folder);
        ExpectRegistered(folder);
        EXPECT_TRUE(setup.MessageBoxes().empty());
        EXPECT_EQ(Names(scratch_.Path()),
                  (std::set<std::string>{"Desktop", "Programs", "Quorbelix", "krzsetup.exe"}));
        dialog.Item(IDCANCEL).Click();
        EXPECT_EQ(setup.WaitForExit(), 0u);
    }
}

// Installed, then removed by the uninstaller that the installation recorded, started as the
// system's list of programs starts it: nothing of the installation is left, and nothing else
// is touched. A copy of the uninstaller outside the recorded folder removes nothing.
TEST_F(Install, RecordedUninstallerRemovesTheInstallationAndNothingElse) {
    const std::string folder = scratch_ / "Tessarin Software\\Quor belix";
    const std::string mine = folder + "\\notes.txt", elsewhere = scratch_ / "Uninstall.exe";
    for (const bool userFile : {true, false}) {
        SCOPED_TRACE(userFile ? "a file of the user's own in the folder" : "nothing else there");
        {
            ui::Process setup(Installer(), "", scratch_.Path());
            InstallInto(setup.WaitForDialog(kTitle), folder);
        }
        ExpectFiles(folder);
        if (userFile) {
            ui::WriteFileBytes(mine, "mine");
            ui::WriteFileBytes(folder + "\\krz.tmp", "left by an interrupted run");
            ASSERT_TRUE(CopyFileA((folder + "\\Uninstall.exe").c_str(), elsewhere.c_str(), FALSE));
            ui::Process copy(elsewhere, "", scratch_.Path(), {IDOK});
            EXPECT_NE(copy.WaitForExit(), 0u);
            EXPECT_EQ(
                copy.MessageBoxes().at(0).text.rfind("Quorbelix is not recorded as installed", 0),
                0u);
            ExpectRegistered(folder);
            ASSERT_TRUE(ui::PathExists(folder + "\\KRZ.exe"));
        }

        std::string command =
            *ui::ReadRegistryString(HKEY_LOCAL_MACHINE, keys::kUninstallEntry, "UninstallString");
        ASSERT_EQ(command.front(), '"');
        // Started in its own folder, as the system may start it.
        ui::Process uninstall(command.substr(1, command.size() - 2), "", folder, {IDYES, IDOK});
        EXPECT_EQ(uninstall.WaitForExit(), 0u);
        EXPECT_EQ(uninstall.MessageBoxes().at(1).text, "Quorbelix has been removed.");
        for (const char* name : {"KRZ.exe", "KRZ.hlp", "KRZ.cnt", "Uninstall.exe", "krz.tmp"})
            EXPECT_FALSE(ui::PathExists(folder + "\\" + name)) << name;
        ExpectNothingRegistered();
        if (userFile) {
            EXPECT_EQ(ui::ReadFileBytes(mine), "mine");
            ui::RemoveTree(mine);
        } else {
            EXPECT_FALSE(ui::PathExists(folder));
        }
    }
}

// A release that krzpack build stamped with --set-version 5.1.2.3 --special-build "Beta 2": the
// version resource and the manifest say so, the rest of them is as it was, the installer starts
// and the application path entry records the special-build text.
TEST_F(Install, ReleaseOfAnotherVersion) {
    const std::string setup = Installer("release-setup.exe");
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeA(setup.c_str(), &handle);
    ASSERT_NE(size, 0u);
    std::vector<char> info(size);
    ASSERT_TRUE(GetFileVersionInfoA(setup.c_str(), 0, size, info.data()));
    void* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\", &value, &length));
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00050001u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00020003u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00050001u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00020003u);
    for (const auto& [key, expected] :
         std::vector<std::pair<std::string, std::string>>{{"FileVersion", "5, 1, 2, 3"},
                                                          {"ProductVersion", "5, 1, 2, 3"},
                                                          {"SpecialBuild", "Beta 2"},
                                                          {"OriginalFilename", "krzsetup.exe"},
                                                          {"ProductName", "Setup of Quorbelix"}}) {
        value = nullptr;
        EXPECT_TRUE(VerQueryValueA(info.data(), ("\\StringFileInfo\\040904B0\\" + key).c_str(),
                                   &value, &length))
            << key;
        EXPECT_EQ(value ? std::string(static_cast<const char*>(value)) : "", expected) << key;
    }
    const HMODULE image = LoadLibraryExA(setup.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(image, nullptr);
    const HRSRC manifest = FindResourceA(image, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    ASSERT_NE(manifest, nullptr);
    const std::string text(static_cast<const char*>(LockResource(LoadResource(image, manifest))),
                           SizeofResource(image, manifest));
    FreeLibrary(image);
    EXPECT_NE(text.find("name=\"TessarinSoftware.Quorbelix.Setup\" version=\"5.1.2.3\"/>"),
              std::string::npos)
        << text;

    const std::string folder = scratch_ / "Quorbelix";
    ui::Process run(setup, "", scratch_.Path());
    InstallInto(run.WaitForDialog(kTitle), folder);
    ExpectFiles(folder);
    EXPECT_EQ(ui::ReadRegistryString(HKEY_LOCAL_MACHINE, keys::kAppPathEntry, "SpecialBuild"),
              "Beta 2");
}

// On 64-bit Windows the same four files may have been installed by the other architecture's
// installer, whose entries are in the other registry view: the uninstaller removes them there.
TEST_F(Install, RecordedUninstallerRemovesTheEntriesOfTheOtherView) {
    const REGSAM other = ui::OtherRegistryView();
    if (!other)
        GTEST_SKIP() << "32-bit Windows has one registry view";
    const std::string folder = scratch_ / "Quorbelix";
    {
        ui::Process setup(Installer(), "", scratch_.Path());
        InstallInto(setup.WaitForDialog(kTitle), folder);
    }
    struct Cleanup {
        REGSAM view;
        ~Cleanup() {
            for (const char* entry : {keys::kAppPathEntry, keys::kUninstallEntry})
                RegDeleteKeyExA(HKEY_LOCAL_MACHINE, entry, view, 0);
        }
    } cleanup{other};
    for (const char* entry : {keys::kAppPathEntry, keys::kUninstallEntry}) {
        // Wine shows the application path entries of both views in one key.
        if (ui::RegistryKeyExists(HKEY_LOCAL_MACHINE, entry, other))
            continue;
        HKEY from = nullptr, to = nullptr;
        ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, entry, 0, KEY_READ, &from), ERROR_SUCCESS);
        ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, entry, 0, nullptr, 0, KEY_ALL_ACCESS | other,
                                  nullptr, &to, nullptr),
                  ERROR_SUCCESS);
        EXPECT_EQ(RegCopyTreeA(from, nullptr, to), ERROR_SUCCESS);
        RegCloseKey(to);
        RegCloseKey(from);
        ui::DeleteRegistryKey(HKEY_LOCAL_MACHINE, entry);
    }
    ASSERT_TRUE(ui::RegistryKeyExists(HKEY_LOCAL_MACHINE, keys::kUninstallEntry, other));

    ui::Process uninstall(folder + "\\Uninstall.exe", "", scratch_.Path(), {IDYES, IDOK});
    EXPECT_EQ(uninstall.WaitForExit(), 0u);
    EXPECT_EQ(uninstall.MessageBoxes().at(1).text, "Quorbelix has been removed.");
    EXPECT_FALSE(ui::PathExists(folder));
    ExpectNothingRegistered();
}

// One installation and its removal on each Windows that the release names, as Wine's version
// setting plays it (the installer and the uninstaller read it when they start): the 95/98
// family's platform id takes the installer's paths for that family.
class EveryWindows : public Install, public ::testing::WithParamInterface<const char*> {};

TEST_P(EveryWindows, InstallThenUninstall) {
    const ui::ScopedRegistryValue version{HKEY_CURRENT_USER, "Software\\Wine", "Version",
                                          std::string(GetParam())};
    const std::string folder = scratch_ / "Quorbelix";
    {
        ui::Process setup(Installer(), "", scratch_.Path());
        const ui::Window dialog = setup.WaitForDialog(kTitle);
        InstallInto(dialog, folder);
        ExpectFinished(dialog);
        EXPECT_TRUE(setup.MessageBoxes().empty());
    }
    ExpectFiles(folder);
    ExpectRegistered(folder);
    ui::Process uninstall(folder + "\\Uninstall.exe", "", scratch_.Path(), {IDYES, IDOK});
    EXPECT_EQ(uninstall.WaitForExit(), 0u);
    EXPECT_EQ(uninstall.MessageBoxes().at(1).text, "Quorbelix has been removed.");
    EXPECT_FALSE(ui::PathExists(folder));
    ExpectNothingRegistered();
}

INSTANTIATE_TEST_SUITE_P(Wine, EveryWindows,
                         ::testing::Values("win95", "win98", "nt40", "win2k", "winxp", "win7",
                                           "win10"),
                         [](const ::testing::TestParamInfo<const char*>& tested) {
                             return std::string(tested.param);
                         });

// The main command's exit status comes from its walkthrough program: 0 when this run
// installed (or uninstalled, leaving nothing), 3 after Cancel, 4 after No to the reinstall
// question.
TEST_F(Install, MainCommandStatusSaysWhatThisRunDid) {
    struct Cleanup {
        ~Cleanup() { ui::RemoveTree("C:\\Program Files\\Tessarin Software"); }
    } cleanup;
    const std::string walkthrough = ui::ProgramFolder() + "install_walkthrough.exe";
    const std::string installer = "\"" + Installer() + "\"";
    // The installer's own window or box with this title, once it has shown for as long as a
    // person takes to answer it (the program looks at the windows every 20 ms).
    const auto shown = [](const char* className, const char* title) {
        HWND found = nullptr;
        EXPECT_TRUE(ui::WaitUntil([&] {
            found = FindWindowA(className, title);
            return found && IsWindowVisible(found);
        }));
        Sleep(1000);
        return ui::Window(found);
    };
    {
        ui::Process run(walkthrough, "install walk " + installer, scratch_.Path());
        EXPECT_EQ(run.WaitForExit(60000), 0u);
    }
    ExpectRegistered("C:\\Program Files\\Tessarin Software\\Quorbelix");
    {
        ui::Process run(walkthrough, "install watch " + installer, scratch_.Path());
        PostMessageA(shown("#32770", "krzsetup").Handle(), WM_COMMAND, IDNO, 0);
        EXPECT_EQ(run.WaitForExit(), 4u);
    }
    {
        // --uninstall: 0 once the recorded uninstaller, started in its folder, left nothing.
        ui::Process run(walkthrough, "uninstall walk", scratch_.Path());
        EXPECT_EQ(run.WaitForExit(60000), 0u);
    }
    ExpectNothingRegistered();
    EXPECT_FALSE(ui::PathExists("C:\\Program Files\\Tessarin Software\\Quorbelix"));
    RemoveEntries();
    ui::Process run(walkthrough, "install watch " + installer, scratch_.Path());
    shown("#32770", kTitle).Item(IDCANCEL).Click();
    EXPECT_EQ(run.WaitForExit(), 3u);
}

// The stub with four other files put in by the packer (as a release engineer makes an
// installer) installs them; the stub alone installs nothing and says so.
TEST_F(Install, InstallerMadeFromTheStub) {
    const std::vector<std::string> others = {HostFile(KRZ_OTHER_FILE_0), HostFile(KRZ_OTHER_FILE_1),
                                             HostFile(KRZ_OTHER_FILE_2),
                                             HostFile(KRZ_OTHER_FILE_3)};
    const std::string folder = scratch_ / "Other";
    {
        ui::Process setup(Installer("other-setup.exe"), "", scratch_.Path());
        const ui::Window dialog = setup.WaitForDialog(kTitle);
        InstallInto(dialog, folder);
        ExpectFinished(dialog);
        ExpectFiles(folder, others);
        ExpectRegistered(folder);
        dialog.Item(IDCANCEL).Click();
        EXPECT_EQ(setup.WaitForExit(), 0u);
    }
    RemoveEntries();
    ui::RemoveTree(desktop_ + "\\KRZ.lnk");
    ui::RemoveTree(programs_ + "\\KRZ.lnk");

    const std::string empty = scratch_ / "Empty";
    ui::Process setup(Installer("krzsetup-stub.exe"), "", scratch_.Path(), {IDOK});
    const ui::Window dialog = setup.WaitForDialog(kTitle);
    dialog.Item(1001).SetText(empty);
    dialog.Item(IDOK).Click();
    EXPECT_EQ(setup.WaitForMessageBox().text, "Error in installation");
    ASSERT_TRUE(ui::WaitUntil([&] { return setup.PendingAnswers() == 0; }));
    ExpectReady(dialog, empty);
    ExpectNothingRegistered();
    for (const char* name : payload::kFileList)
        EXPECT_FALSE(ui::PathExists(empty + "\\" + name)) << name;
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
        // Only an absolute folder: these would land in the current folder, the scratch folder.
        {"relative", "relx", kCannotCreate},
        {"drive-relative", "C:relx", kCannotCreate},
        {"a blank before a relative folder", " relx", kCannotCreate},
        {"device namespace", "\\\\?\\" + scratch_ / "relx", kCannotCreate},
        {"device namespace, forward slashes",
         "//?/" + forward.substr(0, forward.find("missing")) + "relx", kCannotCreate},
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
    EXPECT_FALSE(ui::PathExists(scratch_ / "relx"));
    EXPECT_EQ(Names(scratch_.Path()),
              (std::set<std::string>{"Desktop", "Programs", "krzsetup.exe", "x.txt"}));
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

// The system takes a forward slash for a backslash: written with them, a folder whose parent
// exists installs, and is recorded, as typed (one whose parent is missing is refused, above).
// The shell link object spells its target its own way; the recorded uninstaller takes the
// folder as the one it runs in.
TEST_F(Install, ForwardSlashesWhereTheParentExists) {
    const std::string folder = scratch_ / "Quorbelix";
    std::string typed = folder;
    std::replace(typed.begin(), typed.end(), '\\', '/');
    {
        ui::Process setup(Installer(), "", scratch_.Path());
        const ui::Window dialog = setup.WaitForDialog(kTitle);
        InstallInto(dialog, typed);
        ExpectFinished(dialog);
        EXPECT_TRUE(setup.MessageBoxes().empty());
    }
    ExpectFiles(folder);
    EXPECT_EQ(ui::ReadRegistryString(HKEY_LOCAL_MACHINE, keys::kAppPathEntry, "Path"), typed);
    const std::optional<ui::Shortcut> link = ui::ReadShortcut(desktop_ + "\\KRZ.lnk");
    ASSERT_TRUE(link);
    EXPECT_EQ(link->path, folder + "\\KRZ.exe");
    const std::string command =
        *ui::ReadRegistryString(HKEY_LOCAL_MACHINE, keys::kUninstallEntry, "UninstallString");
    ASSERT_EQ(command, typed + "\\Uninstall.exe");
    ui::Process uninstall(command, "", scratch_.Path(), {IDYES, IDOK});
    EXPECT_EQ(uninstall.WaitForExit(), 0u);
    EXPECT_EQ(uninstall.MessageBoxes().at(1).text, "Quorbelix has been removed.");
    EXPECT_FALSE(ui::PathExists(folder));
    ExpectNothingRegistered();
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

// Drive T: is the small tmpfs of the full-disk fixture (tests/common).
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

// A shortcut or an entry that cannot be made costs only itself; the files are installed, and
// one message names what is missing. The finished text speaks of the shortcuts only when both
// are there.
TEST_F(Install, ShortcutsAndEntriesThatCannotBeMadeAreNamed) {
    const std::string notAll = "The program has been installed, but:";
    const std::string noDesktop = "\r\n\r\nNo shortcut on Windows Desktop.";
    const std::string noPrograms = "\r\n\r\nNo shortcut in \"Programs\" of Windows \"Start\".";
    const std::string noAppPath =
        "\r\n\r\nNo application path entry: the next setup will not find this installation.";
    const std::string noUninstall =
        "\r\n\r\nNo uninstall entry: Uninstall.exe in the program's folder removes it.";
    struct Case {
        const char* what;
        std::optional<std::string> desktop; // the "Desktop" value; none: no value
        bool terminated;                    // its NUL stored with it
        const char* keyAside;               // a parent key moved away, or null
        std::string missing;                // the lines of the message
    };
    const Case cases[] = {
        {"no Desktop value", std::nullopt, true, nullptr, noDesktop},
        {"no such Desktop folder, no Uninstall key", scratch_ / "Gone", true, keys::kUninstall,
         noDesktop + noUninstall},
        {"Desktop value of 260 bytes without a NUL", "C:\\" + std::string(257, 'd'), false, nullptr,
         noDesktop},
        {"a folder where the Programs shortcut goes", desktop_, true, nullptr, noPrograms},
        {"no App Paths key", desktop_, true, keys::kAppPaths, noAppPath},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RemoveEntries();
        const bool desktopMade = c.missing.find(noDesktop) == std::string::npos;
        const bool programsMade = c.missing.find(noPrograms) == std::string::npos;
        if (!programsMade)
            ui::CreateFolders(programs_ + "\\KRZ.lnk");
        std::optional<ui::ScopedRegistryKeyAside> aside;
        if (c.keyAside)
            aside.emplace(HKEY_LOCAL_MACHINE, c.keyAside);
        const std::string folder = scratch_ / c.what;
        ui::Process setup(Installer(), "", scratch_.Path(), {IDOK});
        const ui::Window dialog = setup.WaitForDialog(kTitle);
        // Set once Wine's desktop process has started, so that it does not write it anew.
        const ui::ScopedRegistryValue desktop(HKEY_CURRENT_USER, keys::kShellFolders, "Desktop",
                                              c.desktop);
        if (!c.terminated)
            ui::SetRegistryValue(HKEY_CURRENT_USER, keys::kShellFolders, "Desktop", REG_SZ,
                                 *c.desktop);
        InstallInto(dialog, folder);
        const ui::MessageBoxRecord box = setup.WaitForMessageBox();
        EXPECT_EQ(box.text, notAll + c.missing);
        EXPECT_EQ(box.icon, ui::BoxIcon::Exclamation);
        EXPECT_EQ(box.buttons, std::vector<int>{IDOK});
        ASSERT_TRUE(ui::WaitUntil([&] { return setup.PendingAnswers() == 0; }));
        ExpectFiles(folder);
        if (desktopMade && programsMade)
            ExpectFinished(dialog);
        else
            EXPECT_EQ(dialog.Item(1002).Text(), "The program has been successfully installed");
        for (const auto& [place, made] :
             {std::pair(desktop_, desktopMade), std::pair(programs_, programsMade)}) {
            const std::optional<ui::Shortcut> link = ui::ReadShortcut(place + "\\KRZ.lnk");
            EXPECT_EQ(link.has_value(), made) << place;
            if (link) {
                EXPECT_EQ(link->path, folder + "\\KRZ.exe");
            }
        }
        EXPECT_EQ(ui::RegistryKeyExists(HKEY_LOCAL_MACHINE, keys::kAppPathEntry),
                  c.missing.find(noAppPath) == std::string::npos);
        EXPECT_EQ(ui::RegistryKeyExists(HKEY_LOCAL_MACHINE, keys::kUninstallEntry),
                  c.missing.find(noUninstall) == std::string::npos);
        // No link at the root of the installer's drive, none in the missing Desktop.
        EXPECT_FALSE(ui::PathExists("C:\\KRZ.lnk"));
        EXPECT_FALSE(ui::PathExists(scratch_ / "Gone"));
        EXPECT_EQ(setup.MessageBoxes().size(), 1u);
        dialog.Item(IDCANCEL).Click();
        EXPECT_EQ(setup.WaitForExit(), 0u);
        ui::RemoveTree(desktop_ + "\\KRZ.lnk");
        ui::RemoveTree(programs_ + "\\KRZ.lnk");
    }
}

// Links that someone has put into the folder: a symbolic link as krz.tmp, a hard link and a
// dangling symbolic link as targets. Each is replaced itself; nothing outside is written,
// stamped, made or deleted. A link to a folder elsewhere, as a target, stops the installation.
TEST_F(Install, LinksInTheFolderAreReplacedNeverFollowed) {
    const std::string outside = scratch_ / "outside";
    const std::string folder = scratch_ / "Quorbelix";
    ui::CreateFolders(outside);
    ui::CreateFolders(folder);
    const OutsideFile temp(outside + "\\temp.txt"), help(outside + "\\help.txt");
    HostLinks({{temp.Path(), folder + "\\krz.tmp", true},
               {help.Path(), folder + "\\KRZ.hlp", false},
               {outside + "\\made.txt", folder + "\\KRZ.cnt", true}});
    {
        ui::Process setup(Installer(), "", scratch_.Path());
        InstallInto(setup.WaitForDialog(kTitle), folder);
        ExpectFiles(folder);
        ExpectRegistered(folder);
        EXPECT_TRUE(setup.MessageBoxes().empty());
        EXPECT_EQ(Names(folder).size(), 4u);
        setup.Kill();
    }
    temp.ExpectUntouched();
    help.ExpectUntouched();
    EXPECT_EQ(Names(outside), (std::set<std::string>{"help.txt", "temp.txt"}));

    const std::string linked = scratch_ / "Linked";
    ui::CreateFolders(linked);
    HostLinks({{outside, linked + "\\KRZ.exe", true}});
    ui::Process setup(Installer(), "", scratch_.Path(), {IDYES, IDOK});
    const ui::Window dialog = setup.WaitForDialog(kTitle);
    dialog.Item(1001).SetText(linked);
    dialog.Item(IDOK).Click();
    EXPECT_EQ(setup.WaitForMessageBox().text, "A previous installation of KRZ found\r\nReinstall?");
    EXPECT_EQ(setup.WaitForMessageBox().text, "Error in installing");
    ASSERT_TRUE(ui::WaitUntil([&] { return setup.PendingAnswers() == 0; }));
    EXPECT_EQ(dialog.Item(1001).Text(), linked);
    EXPECT_EQ(Names(linked), std::set<std::string>{"KRZ.exe"});
    EXPECT_EQ(Names(outside), (std::set<std::string>{"help.txt", "temp.txt"}));
    temp.ExpectUntouched();
    help.ExpectUntouched();
    dialog.Item(IDCANCEL).Click();
    EXPECT_EQ(setup.WaitForExit(), 0u);
}

// Two installers in one folder. The first is stopped, as by a debugger, where it has written
// krz.tmp and loads LZ32 to expand it: it must hold krz.tmp open then. The second, run
// meanwhile, fails there with a message and leaves nothing; the first, let go, installs its own
// files.
TEST_F(Install, SecondInstallerInTheSameFolderFails) {
    const std::string folder = scratch_ / "Quorbelix";
    const std::string temp = folder + "\\krz.tmp";
    ui::Process first(Installer(), "", scratch_.Path());
    const ui::Window dialog = first.WaitForDialog(kTitle);
    dialog.Item(1001).SetText(folder);
    StopAtLibrary stop(first.Id());
    dialog.Item(IDOK).Click();
    ASSERT_TRUE(stop.WaitForLoad("lz32.dll"));
    ASSERT_TRUE(Exists(temp));
    ASSERT_TRUE(HeldOpen(temp)) << "krz.tmp is there with no installer holding it";

    ui::Process second(Installer(), "", scratch_.Path(), {IDOK});
    const ui::Window other = second.WaitForDialog(kTitle);
    other.Item(1001).SetText(folder);
    other.Item(IDOK).Click();
    EXPECT_EQ(second.WaitForMessageBox().text, "File Error");
    ASSERT_TRUE(ui::WaitUntil([&] { return second.PendingAnswers() == 0; }));
    ExpectReady(other, folder);
    EXPECT_TRUE(HeldOpen(temp));
    EXPECT_EQ(Names(folder), std::set<std::string>{"krz.tmp"});
    // Nor can the folder be moved away, for a link to take its place.
    EXPECT_FALSE(MoveFileA(folder.c_str(), (folder + " moved").c_str()));

    stop.Resume();
    dialog.Item(IDCANCEL).WaitForText("Close");
    ExpectFinished(dialog);
    ExpectFiles(folder);
    ExpectRegistered(folder);
    EXPECT_TRUE(first.MessageBoxes().empty());
    other.Item(IDCANCEL).Click();
    EXPECT_EQ(second.WaitForExit(), 0u);
    dialog.Item(IDCANCEL).Click();
    EXPECT_EQ(first.WaitForExit(), 0u);
}

// F1 starts the help viewer of the Windows folder by its full path; a program of that name
// beside the installer, which is also its current folder, never runs.
TEST_F(Install, HelpViewerComesFromTheWindowsFolder) {
    const std::string planted = scratch_ / "winhlp32.exe";
    ASSERT_TRUE(
        CopyFileA((ui::ProgramFolder() + "planted_program.exe").c_str(), planted.c_str(), FALSE));
    // Windows keeps the viewer in its own folder, Wine in the system folder.
    char folder[MAX_PATH] = {};
    ASSERT_GT(GetWindowsDirectoryA(folder, MAX_PATH), 0u);
    if (!ui::PathExists(std::string(folder) + "\\winhlp32.exe")) {
        ASSERT_GT(GetSystemDirectoryA(folder, MAX_PATH), 0u);
    }
    const std::string viewer = std::string(folder) + "\\winhlp32.exe";
    ASSERT_TRUE(ui::PathExists(viewer));
    const auto before = ui::ProgramsNamed("winhlp32.exe");

    ui::Process setup(Installer(), "", scratch_.Path());
    const ui::Window dialog = setup.WaitForDialog(kTitle);
    // F1 as the keyboard gives it (a posted key press does not make the help message).
    SetForegroundWindow(dialog.Handle());
    ASSERT_TRUE(ui::WaitUntil([&] { return GetForegroundWindow() == dialog.Handle(); }));
    INPUT keys[2] = {};
    keys[0].type = keys[1].type = INPUT_KEYBOARD;
    keys[0].ki.wVk = keys[1].ki.wVk = VK_F1;
    keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
    ASSERT_EQ(SendInput(2, keys, sizeof keys[0]), 2u);
    std::vector<std::pair<DWORD, std::string>> viewers;
    ASSERT_TRUE(
        ui::WaitUntil([&] { return (viewers = ui::ProgramsNamed("winhlp32.exe")) != before; }));
    ASSERT_EQ(viewers.size(), before.size() + 1);
    for (const auto& started : viewers)
        EXPECT_EQ(lstrcmpiA(started.second.c_str(), viewer.c_str()), 0) << started.second;
    EXPECT_FALSE(ui::PathExists(planted + ".ran"));
    dialog.Item(IDCANCEL).Click();
    EXPECT_EQ(setup.WaitForExit(), 0u);
    // The viewer ran in the installer's job, which ends with the scenario.
}

// The 95/98 family, which has neither links nor renames over a file, writes each file in
// place and stamps it through the same handle.
TEST_F(Install, OnTheWindows98Family) {
    const ui::ScopedWindowsVersion old("krzsetup.exe", "win98");
    const std::string folder = scratch_ / "Quorbelix";
    ui::CreateFolders(folder);
    ui::WriteFileBytes(folder + "\\KRZ.hlp", "old help");
    ui::Process setup(Installer(), "", scratch_.Path());
    const ui::Window dialog = setup.WaitForDialog(kTitle);
    InstallInto(dialog, folder);
    ExpectFinished(dialog);
    ExpectFiles(folder);
    ExpectRegistered(folder);
    dialog.Item(IDCANCEL).Click();
    EXPECT_EQ(setup.WaitForExit(), 0u);
}

} // namespace
