// The installer as a user meets it, driven from outside: krzsetup.exe runs as its own process
// (a copy of it, named as each scenario needs) and the UI driver reads its windows and answers
// its message boxes.
#include <gtest/gtest.h>

#include "InstallerKeys.h"
#include "UiDriver.h"

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
    const SIZE client = dialog.ClientSize();
    const RECT size = ui::DialogUnitsToPixels(0, 0, 268, 118, "MS Sans Serif", 8);
    EXPECT_EQ(client.cx, size.right);
    EXPECT_EQ(client.cy, size.bottom);

    struct Control {
        int id;
        const char* className;
        int x, y, cx, cy;
        LONG styles; // all of these set
        LONG kind;   // the low four style bits
    };
    const Control controls[] = {
        {IDOK, "Button", 217, 103, 50, 14, WS_TABSTOP | WS_VISIBLE, BS_DEFPUSHBUTTON},
        {IDCANCEL, "Button", 162, 103, 50, 14, WS_TABSTOP | WS_VISIBLE, BS_PUSHBUTTON},
        // Its border shows as a sunken edge (the edit control's own doing).
        {1001, "Edit", 2, 12, 241, 14, WS_TABSTOP | WS_VISIBLE | ES_AUTOHSCROLL, ES_LEFT},
        {1002, "Static", 3, 36, 261, 58, WS_GROUP | WS_VISIBLE, SS_LEFT},
        {1003, "Static", 3, 1, 40, 8, WS_GROUP | WS_VISIBLE, SS_LEFT},
    };
    for (const Control& c : controls) {
        SCOPED_TRACE(c.id);
        const ui::Window control = dialog.Item(c.id);
        EXPECT_STRCASEEQ(control.ClassName().c_str(), c.className);
        const RECT expected = ui::DialogUnitsToPixels(c.x, c.y, c.cx, c.cy, "MS Sans Serif", 8);
        const RECT actual = control.Rect();
        EXPECT_EQ(actual.left, expected.left);
        EXPECT_EQ(actual.top, expected.top);
        EXPECT_EQ(actual.right, expected.right);
        EXPECT_EQ(actual.bottom, expected.bottom);
        EXPECT_TRUE(control.HasStyle(c.styles));
        EXPECT_EQ(control.Style() & 0xF, c.kind);
    }
    EXPECT_TRUE(dialog.Item(1001).ExStyle() & WS_EX_CLIENTEDGE);

    // Two controls have id 1000: the hidden, disabled placeholder of the template and the
    // browse button made over it, a little larger, showing the closed folder.
    ui::Window placeholder, browse;
    for (const ui::Window& child : dialog.Children()) {
        if (child.Id() == 1000)
            (child.Visible() ? browse : placeholder) = child;
    }
    ASSERT_TRUE(placeholder && browse);
    EXPECT_TRUE(placeholder.HasStyle(WS_TABSTOP | WS_DISABLED | BS_FLAT));
    EXPECT_TRUE(browse.Enabled());
    const RECT hidden = placeholder.Rect();
    const RECT template1000 = ui::DialogUnitsToPixels(245, 11, 22, 16, "MS Sans Serif", 8);
    EXPECT_EQ(hidden.left, template1000.left);
    EXPECT_EQ(hidden.bottom, template1000.bottom);
    RECT expected = template1000;
    InflateRect(&expected, 2, 4);
    const RECT actual = browse.Rect();
    EXPECT_EQ(actual.left, expected.left);
    EXPECT_EQ(actual.top, expected.top);
    EXPECT_EQ(actual.right, expected.right);
    EXPECT_EQ(actual.bottom, expected.bottom);
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

} // namespace
