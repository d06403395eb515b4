// The installer as a user meets it, driven from outside: krzsetup.exe runs as its own process
// (a copy of it, named as each scenario needs) and the UI driver reads its windows and answers
// its message boxes.
#include <gtest/gtest.h>

#include "InstallerKeys.h"
#include "UiDriver.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

const char kTitle[] = "Setup Quorbelix";

class SetupScenario : public ::testing::Test {
protected:
    void SetUp() override {
        ui::DeleteRegistryKey(HKEY_LOCAL_MACHINE, keys::kAppPathEntry);
        ui::DeleteRegistryKey(HKEY_LOCAL_MACHINE, keys::kUninstallEntry);
    }
    void TearDown() override {
        ui::DeleteRegistryKey(HKEY_LOCAL_MACHINE, keys::kAppPathEntry);
        ui::DeleteRegistryKey(HKEY_LOCAL_MACHINE, keys::kUninstallEntry);
    }

    // The installer copied into the scratch folder under `name`.
    std::string Installer(const std::string& name = "krzsetup.exe") {
        const std::string copy = folder_ / name;
        EXPECT_TRUE(CopyFileA((ui::ProgramFolder() + "krzsetup.exe").c_str(), copy.c_str(), FALSE));
        return copy;
    }

    ui::ScratchFolder folder_;
};

TEST_F(SetupScenario, PlatformCheckRefusesWin32sAndPassesBothFamilies) {
    struct Case {
        const char* version; // Wine's Windows version for the program; "" for the prefix's own
        bool refused;
    };
    for (const Case& c :
         {Case{"win31", true}, Case{"win98", false}, Case{"winxp", false}, Case{"", false}}) {
        SCOPED_TRACE(c.version);
        const std::string exe = Installer();
        std::unique_ptr<ui::ScopedWindowsVersion> version;
        if (*c.version)
            version = std::make_unique<ui::ScopedWindowsVersion>("krzsetup.exe", c.version);
        ui::Process setup(exe, "", folder_.Path(), {IDOK});
        if (c.refused) {
            const ui::MessageBoxRecord box = setup.WaitForMessageBox();
            EXPECT_EQ(box.text, "Only Windows 95, 98 or NT4.0");
            EXPECT_EQ(box.caption, "krzsetup");
            EXPECT_EQ(box.icon, ui::BoxIcon::Exclamation);
            EXPECT_EQ(box.buttons, std::vector<int>{IDOK});
            EXPECT_EQ(box.owner, nullptr); // there is no dialog
            EXPECT_EQ(setup.WaitForExit(), 0u);
            EXPECT_EQ(setup.MessageBoxes().size(), 1u);
        } else {
            const ui::Window dialog = setup.WaitForDialog(kTitle);
            EXPECT_TRUE(setup.MessageBoxes().empty());
            setup.ClearAnswers();
            dialog.Item(IDCANCEL).Click();
            EXPECT_EQ(setup.WaitForExit(), 0u);
        }
    }
}

TEST_F(SetupScenario, PreviousInstallationYesShowsItsFolderUnchanged) {
    const std::string previous = "c:\\Some Where\\ Quorbelix\\"; // as recorded, odd as it is
    ui::SetRegistryString(HKEY_LOCAL_MACHINE, keys::kAppPathEntry, "Path", previous);
    ui::Process setup(Installer(), "", folder_.Path(), {IDYES});
    const ui::MessageBoxRecord box = setup.WaitForMessageBox();
    EXPECT_EQ(box.text, "A previous installation of KRZ found\r\nReinstall?");
    EXPECT_EQ(box.caption, "krzsetup");
    EXPECT_EQ(box.icon, ui::BoxIcon::Exclamation);
    EXPECT_EQ(box.buttons, (std::vector<int>{IDYES, IDNO}));
    EXPECT_EQ(box.ownerTitle, kTitle); // asked by the dialog while it initialises,
    EXPECT_FALSE(box.ownerVisible);    // before it shows
    const ui::Window dialog = setup.WaitForDialog(kTitle);
    EXPECT_EQ(dialog.Item(1001).Text(), previous);
    dialog.Item(IDCANCEL).Click();
    EXPECT_EQ(setup.WaitForExit(), 0u);
}

TEST_F(SetupScenario, PreviousInstallationNoEndsTheInstallerHavingWrittenNothing) {
    const std::string previous = "D:\\Tools";
    ui::SetRegistryString(HKEY_LOCAL_MACHINE, keys::kAppPathEntry, "Path", previous);
    ui::Process setup(Installer(), "", folder_.Path(), {IDNO});
    EXPECT_EQ(setup.WaitForExit(), 0u);
    ASSERT_EQ(setup.MessageBoxes().size(), 1u);
    EXPECT_EQ(setup.MessageBoxes()[0].answer, IDNO);
    EXPECT_EQ(ui::ReadRegistryString(HKEY_LOCAL_MACHINE, keys::kAppPathEntry, "Path"), previous);
    EXPECT_EQ(ui::ReadRegistryString(HKEY_LOCAL_MACHINE, keys::kAppPathEntry, ""), std::nullopt);
    EXPECT_FALSE(ui::RegistryKeyExists(HKEY_LOCAL_MACHINE, keys::kUninstallEntry));
}

TEST_F(SetupScenario, DialogAsTheUserSeesIt) {
    ui::Process setup(Installer(), "", folder_.Path());
    const ui::Window dialog = setup.WaitForDialog(kTitle);
    // Wine's Windows directory is C:\windows.
    EXPECT_EQ(dialog.Item(1001).Text(), "C:\\Program Files\\Tessarin Software\\Quorbelix");
    EXPECT_EQ(dialog.Item(1002).Text(), "Install Quorbelix?");
    EXPECT_EQ(dialog.Item(1003).Text(), "Setup path:");
    EXPECT_EQ(dialog.Item(IDOK).Text(), "OK");
    EXPECT_EQ(dialog.Item(IDCANCEL).Text(), "Cancel");
    EXPECT_TRUE(dialog.ExStyle() & WS_EX_APPWINDOW);

    EXPECT_TRUE(dialog.HasStyle(WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME));
    // The layout is the template's (102), read from the installer's file, in pixels of its font.
    const ui::DialogTemplate setupDialog = ui::ReadDialogTemplate(folder_ / "krzsetup.exe", 102);
    const SIZE client = dialog.ClientSize();
    const RECT size = setupDialog.Pixels(0, 0, setupDialog.cx, setupDialog.cy);
    EXPECT_EQ(client.cx, size.right);
    EXPECT_EQ(client.cy, size.bottom);

    std::vector<int> ids, templateIds = {1000}; // the browse button is not in the template
    for (const ui::Window& child : dialog.Children())
        ids.push_back(child.Id());
    for (const ui::DialogControl& c : setupDialog.controls) {
        templateIds.push_back(c.id);
        if (c.id == 1000)
            continue; // the placeholder: below
        SCOPED_TRACE(c.id);
        const ui::Window control = dialog.Item(c.id);
        EXPECT_STRCASEEQ(control.ClassName().c_str(), c.className.c_str());
        const RECT expected = setupDialog.Pixels(c);
        const RECT actual = control.Rect();
        EXPECT_EQ(actual, expected);
        // The edit's border shows as a sunken edge (the edit control's own doing).
        EXPECT_TRUE(control.HasStyle((c.style | WS_VISIBLE) & ~(c.id == 1001 ? WS_BORDER : 0)));
        EXPECT_EQ(control.Style() & 0xF, LONG(c.style & 0xF));
    }
    std::sort(ids.begin(), ids.end());
    std::sort(templateIds.begin(), templateIds.end());
    EXPECT_EQ(ids, templateIds);
    EXPECT_TRUE(dialog.Item(1001).ExStyle() & WS_EX_CLIENTEDGE);

    // Two controls have id 1000: the hidden, disabled placeholder of the template and the
    // browse button made over it, a little larger, showing the closed folder.
    ui::Window placeholder, browse;
    for (const ui::Window& child : dialog.Children()) {
        if (child.Id() == 1000)
            (child.Visible() ? browse : placeholder) = child;
    }
    ASSERT_TRUE(placeholder && browse);
    const ui::DialogControl& placeholderTemplate = setupDialog.Control(1000);
    EXPECT_TRUE(placeholder.HasStyle(placeholderTemplate.style)); // disabled, flat
    EXPECT_TRUE(browse.Enabled());
    const RECT hidden = placeholder.Rect();
    const RECT template1000 = setupDialog.Pixels(placeholderTemplate);
    EXPECT_EQ(hidden.left, template1000.left);
    EXPECT_EQ(hidden.bottom, template1000.bottom);
    RECT expected = template1000;
    InflateRect(&expected, 2, 4);
    const RECT actual = browse.Rect();
    EXPECT_EQ(actual, expected);
    EXPECT_TRUE(browse.HasStyle(BS_ICON));
    const HMODULE installer =
        LoadLibraryExA((folder_ / "krzsetup.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(installer, nullptr);
    const HICON folder = HICON(LoadImageA(installer, MAKEINTRESOURCEA(178), IMAGE_ICON, 16, 16, 0));
    EXPECT_TRUE(browse.Shows(folder));
    DestroyIcon(folder);
    FreeLibrary(installer);

    // OK is the default button (Enter in the path edit installs: InstallScenarioTest.cpp);
    // Esc acts as Cancel.
    EXPECT_EQ(LOWORD(SendMessageA(dialog.Handle(), DM_GETDEFID, 0, 0)), IDOK);
    dialog.PressKey(VK_ESCAPE);
    EXPECT_EQ(setup.WaitForExit(), 0u);
}

TEST_F(SetupScenario, RenamedInstallerCaptionsItsBoxesWithItsNewName) {
    ui::SetRegistryString(HKEY_LOCAL_MACHINE, keys::kAppPathEntry, "Path", "C:\\Quorbelix");
    for (const char* name : {"Setup KRZ 4.4.exe", "install.EXE"}) {
        SCOPED_TRACE(name);
        const std::string exe = Installer(name);
        const std::string caption = std::string(name).substr(0, std::string(name).rfind('.'));
        {
            ui::Process setup(exe, "", folder_.Path(), {IDNO});
            EXPECT_EQ(setup.WaitForMessageBox().caption, caption);
            EXPECT_EQ(setup.WaitForExit(), 0u);
        }
        ui::ScopedWindowsVersion win31(name, "win31");
        ui::Process setup(exe, "", folder_.Path(), {IDOK});
        EXPECT_EQ(setup.WaitForMessageBox().caption, caption);
        EXPECT_EQ(setup.WaitForExit(), 0u);
    }
}

// Started from a folder whose path is longer than MAX_PATH (the NT family allows it), the
// installer still takes its boxes' caption from its own file name. Wine's CreateProcess takes
// no program path that long, but Wine started on the host runs one: the installer runs outside
// ui::Process, found by its name and driven by its windows.
TEST_F(SetupScenario, StartedFromABeyondMaxPathFolderCaptionsWithItsOwnName) {
    // Made and removed through \\?\ names, which the functions take at any length.
    std::wstring folder = L"\\\\?\\" + std::wstring(folder_.Path().begin(), folder_.Path().end());
    std::string hostFolder = ui::HostPath(folder_.Path());
    std::vector<std::wstring> folders;
    for (int level = 0; level < 6; ++level) {
        const std::string name = "level" + std::to_string(level) + "_" + std::string(40, '0');
        folder += L"\\" + std::wstring(name.begin(), name.end());
        hostFolder += "/" + name;
        ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr)) << GetLastError();
        folders.push_back(folder);
    }
    const std::wstring copy = folder + L"\\krzsetup.exe";
    HANDLE process = nullptr;
    struct Cleanup {
        const std::wstring& copy;
        const std::vector<std::wstring>& folders;
        HANDLE& process;
        ~Cleanup() {
            if (process) {
                TerminateProcess(process, 1);
                WaitForSingleObject(process, ui::kTimeout);
                CloseHandle(process);
            }
            DeleteFileW(copy.c_str());
            for (auto f = folders.rbegin(); f != folders.rend(); ++f)
                RemoveDirectoryW(f->c_str());
        }
    } cleanup{copy, folders, process};
    const std::string installer = ui::ProgramFolder() + "krzsetup.exe";
    ASSERT_TRUE(
        CopyFileW(std::wstring(installer.begin(), installer.end()).c_str(), copy.c_str(), FALSE));
    ASSERT_GT(copy.size(), size_t(4 + MAX_PATH));
    ASSERT_TRUE(ui::ProgramsNamed("krzsetup.exe").empty());

    // The loader that started this test (the wrapper exports it): Debian's wine would pick the
    // 32-bit one even where this machine cannot start it.
    ASSERT_TRUE(ui::StartHostShell("exec \"${KRZ_WINE:-wine}\" " + hostFolder + "/krzsetup.exe"))
        << GetLastError();
    DWORD id = 0;
    ASSERT_TRUE(ui::WaitUntil([&] {
        const auto running = ui::ProgramsNamed("krzsetup.exe");
        id = running.empty() ? 0 : running.front().first;
        return id != 0;
    }));
    process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
    ASSERT_TRUE(process);
    ui::Window dialog;
    ASSERT_TRUE(ui::WaitUntil([&] {
        for (const ui::Window& w : ui::WindowsOf(id))
            if (w.Visible() && !ui::IsMessageBox(w) && w.Text() == kTitle)
                dialog = w;
        return bool(dialog);
    }));
    dialog.Item(1001).SetText("");
    dialog.Item(IDOK).Click();
    ui::Window box;
    ASSERT_TRUE(ui::WaitUntil([&] {
        for (const ui::Window& w : ui::WindowsOf(id))
            if (w.Visible() && ui::IsMessageBox(w))
                box = w;
        return bool(box);
    }));
    EXPECT_EQ(box.Text(), "krzsetup");
    box.Item(IDOK).Click();
    ASSERT_TRUE(ui::WaitUntil([&] { return !box.Exists(); }));
    dialog.Item(IDCANCEL).Click();
    EXPECT_EQ(WaitForSingleObject(process, ui::kTimeout), WAIT_OBJECT_0);
}

} // namespace
