// The recorded uninstaller where the installation folder cannot be trusted: links put into it,
// the folder swapped for a link while its question shows, a folder that is itself a link; and
// the shortcuts of installations that the uninstaller must recognise however they are spelled.
#include "InstallFixture.h"

#include <string>

namespace {

using namespace scenario;

const char kCaption[] = "Uninstall Quorbelix";
const char kRemoved[] = "Quorbelix has been removed.";

class Uninstall : public Install {
protected:
    // Installs into `folder` (as typed) and returns the uninstaller that the entry records.
    std::string InstallAt(const std::string& folder) {
        {
            ui::Process setup(Installer(), "", scratch_.Path());
            InstallInto(setup.WaitForDialog(kTitle), folder);
            EXPECT_TRUE(setup.MessageBoxes().empty());
        }
        std::string command =
            ui::ReadRegistryString(HKEY_LOCAL_MACHINE, keys::kUninstallEntry, "UninstallString")
                .value_or("");
        if (!command.empty() && command.front() == '"')
            command = command.substr(1, command.size() - 2);
        return command;
    }

    // Runs the uninstaller, answering its question Yes; returns its exit status and its last
    // box's text.
    std::pair<DWORD, std::string> RunAnsweringYes(const std::string& uninstaller) {
        ui::Process uninstall(uninstaller, "", scratch_.Path(), {IDYES, IDOK});
        const DWORD status = uninstall.WaitForExit();
        const auto boxes = uninstall.MessageBoxes();
        return {status, boxes.empty() ? "" : boxes.back().text};
    }
};

// Links in the folder and a shortcut that is a link: each link goes, never what it points to
// (under Wine deleting a link deletes its target).
TEST_F(Uninstall, LinksInTheFolderAreRemovedNeverFollowed) {
    const std::string folder = scratch_ / "Quorbelix", outside = scratch_ / "outside";
    ui::CreateFolders(outside);
    const std::string uninstaller = InstallAt(folder);
    const OutsideFile program(outside + "\\program.txt"), temp(outside + "\\temp.txt"),
        help(outside + "\\help.txt");
    // The Desktop's shortcut moves outside; a link to it takes its place.
    ASSERT_TRUE(MoveFileA((desktop_ + "\\KRZ.lnk").c_str(), (outside + "\\KRZ.lnk").c_str()));
    ui::RemoveTree(folder + "\\KRZ.exe");
    ui::RemoveTree(folder + "\\KRZ.hlp");
    HostLinks({{program.Path(), folder + "\\KRZ.exe", true},
               {temp.Path(), folder + "\\krz.tmp", true},
               {help.Path(), folder + "\\KRZ.hlp", false},
               {outside + "\\KRZ.lnk", desktop_ + "\\KRZ.lnk", true}});

    const auto [status, text] = RunAnsweringYes(uninstaller);
    EXPECT_EQ(status, 0u);
    EXPECT_EQ(text, kRemoved);
    program.ExpectUntouched();
    temp.ExpectUntouched();
    help.ExpectUntouched();
    EXPECT_TRUE(ui::PathExists(outside + "\\KRZ.lnk"));
    EXPECT_FALSE(ui::PathExists(folder));
    ExpectNothingRegistered();
}

// The folder, swapped for a link to a folder elsewhere while the question shows (its parent
// is writable by others): the uninstaller holds it, so the swap fails and nothing elsewhere is
// touched. A recorded folder that is itself a link to another folder is refused.
TEST_F(Uninstall, FolderSwappedForALinkOrALinkItself) {
    const std::string parent = scratch_ / "shared", folder = parent + "\\Quorbelix";
    const std::string outside = scratch_ / "outside";
    ui::CreateFolders(outside);
    const std::string uninstaller = InstallAt(folder);
    const OutsideFile program(outside + "\\KRZ.exe"), self(outside + "\\Uninstall.exe");

    // Started on its own, so that its question stays until the swap is tried.
    const ui::ScopedRegistryValue unmanaged{
        HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\Uninstall.exe\\X11 Driver", "Managed",
        "N"};
    std::string line = "\"" + uninstaller + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION run = {};
    ASSERT_TRUE(CreateProcessA(uninstaller.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr,
                               scratch_.Path().c_str(), &startup, &run));
    CloseHandle(run.hThread);
    struct Ender {
        HANDLE process;
        ~Ender() {
            TerminateProcess(process, 99);
            CloseHandle(process);
        }
    } ender{run.hProcess};
    HWND box = nullptr;
    ASSERT_TRUE(ui::WaitUntil([&] { return (box = FindWindowA("#32770", kCaption)) != nullptr; }));
    EXPECT_EQ(ui::ReadMessageBox(ui::Window(box)).text.rfind("Remove Quorbelix", 0), 0u);

    const std::string aside = parent + "\\aside";
    SetLastError(0);
    const bool swapped = MoveFileA(folder.c_str(), aside.c_str());
    EXPECT_FALSE(swapped);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_SHARING_VIOLATION));
    if (swapped)
        HostLinks({{outside, folder, true}});
    ui::Window(box).Item(IDYES).Click();
    HWND last = nullptr;
    ASSERT_TRUE(ui::WaitUntil([&] {
        last = FindWindowA("#32770", kCaption);
        return last && last != box;
    }));
    EXPECT_EQ(ui::ReadMessageBox(ui::Window(last)).text, kRemoved);
    ui::Window(last).Item(IDOK).Click();
    ASSERT_EQ(WaitForSingleObject(run.hProcess, ui::kTimeout), WAIT_OBJECT_0);
    DWORD status = 99;
    GetExitCodeProcess(run.hProcess, &status);
    EXPECT_EQ(status, 0u);
    program.ExpectUntouched();
    self.ExpectUntouched();
    EXPECT_FALSE(ui::PathExists(folder));
    ExpectNothingRegistered();

    // Installed through a link to a folder elsewhere: the uninstaller refuses it.
    const std::string linked = scratch_ / "linked";
    HostLinks({{outside, linked, true}});
    const std::string recorded = InstallAt(linked);
    ui::Process uninstall(recorded, "", scratch_.Path(), {IDOK});
    EXPECT_EQ(uninstall.WaitForExit(), 1u);
    EXPECT_EQ(uninstall.MessageBoxes().at(0).text.rfind("Quorbelix cannot be removed from", 0), 0u);
    EXPECT_TRUE(ui::PathExists(outside + "\\KRZ.exe"));
    EXPECT_TRUE(ui::PathExists(outside + "\\Uninstall.exe"));
    ExpectRegistered(linked);
}

// Another program has the installation folder as its current folder (as a command prompt
// opened there has), which no program can delete while it does: the uninstaller removes the
// rest and names the folder that it leaves, and why.
TEST_F(Uninstall, FolderThatAnotherProgramIsIn) {
    const std::string folder = scratch_ / "Quorbelix";
    const std::string uninstaller = InstallAt(folder);
    char previous[MAX_PATH] = {};
    ASSERT_NE(GetCurrentDirectoryA(MAX_PATH, previous), 0u);
    ASSERT_TRUE(SetCurrentDirectoryA(folder.c_str()));
    const auto [status, text] = RunAnsweringYes(uninstaller);
    EXPECT_TRUE(SetCurrentDirectoryA(previous));
    EXPECT_EQ(status, 2u);
    EXPECT_EQ(text, "These could not be removed:\r\n\r\n" + folder +
                        " (the folder: another program is using it)\r\n");
    EXPECT_TRUE(Names(folder).empty());
    ExpectNothingRegistered();
}

// Installed into a drive's root, and under the short spelling of its folders: the shortcuts,
// which keep the folder as typed, go with the rest.
TEST_F(Uninstall, ShortcutsOfARootOrShortSpelledInstallation) {
    const std::string longFolder = scratch_ / "Tessarin Software\\Quorbelix Program";
    ui::CreateFolders(longFolder);
    char shortFolder[MAX_PATH] = {};
    ASSERT_NE(GetShortPathNameA(longFolder.c_str(), shortFolder, MAX_PATH), 0u);
    ASSERT_EQ(std::string(shortFolder).find("Quorbelix Program"), std::string::npos);
    struct Cleanup {
        ~Cleanup() {
            for (const char* name : payload::kFileList)
                ui::RemoveTree(std::string("C:\\") + name);
        }
    } cleanup;
    for (const std::string& folder : {std::string("C:\\"), std::string(shortFolder)}) {
        SCOPED_TRACE(folder);
        const std::string uninstaller = InstallAt(folder);
        ASSERT_TRUE(ui::PathExists(desktop_ + "\\KRZ.lnk"));
        const auto [status, text] = RunAnsweringYes(uninstaller);
        EXPECT_EQ(status, 0u);
        EXPECT_EQ(text, kRemoved);
        for (const char* name : payload::kFileList)
            EXPECT_FALSE(ui::PathExists(folder + (folder.back() == '\\' ? "" : "\\") + name));
        ExpectNothingRegistered();
    }
    EXPECT_FALSE(ui::PathExists(longFolder));
}

} // namespace
