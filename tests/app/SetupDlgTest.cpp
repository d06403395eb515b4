// The main dialog, run in-process from the installer's own resources: what cannot be seen
// from outside (icons, the browse button's focus, the states of OK, the application object).
// The scenarios (SetupScenarioTest.cpp) look at the rest from outside.
#include <gtest/gtest.h>

#include "AppTestSupport.h"
#include "CTreeCtrl.h"
#include "ModalRunner.h"
#include "SetupApp.h"
#include "SetupDlg.h"

namespace {

// The dialog's protected parts, for the tests.
class TestSetupDlg : public CSetupDlg {
public:
    using CSetupDlg::OnInitDialog;
};

TEST(ProposedFolder, FollowsTheWindowsDirectorysDrive) {
    struct Case {
        const char* windows;
        const char* proposed;
    };
    const Case cases[] = {
        {"c:\\windows", "C:\\Program Files\\Tessarin Software\\Quorbelix"},
        {"C:\\WINNT", "C:\\Program Files\\Tessarin Software\\Quorbelix"},
        {"d:\\something", "D:\\Program Files\\Tessarin Software\\Quorbelix"},
        {"z:", "Z:\\Program Files\\Tessarin Software\\Quorbelix"},
        // Not a drive letter and a colon: inside the Windows directory itself.
        {"\\\\server\\share\\windows", "\\\\server\\share\\windows\\Tessarin Software\\Quorbelix"},
        {"1:\\windows", "1:\\windows\\Tessarin Software\\Quorbelix"},
        {"@:\\windows", "@:\\windows\\Tessarin Software\\Quorbelix"},
        {"c\\windows", "c\\windows\\Tessarin Software\\Quorbelix"},
        {"", "\\Tessarin Software\\Quorbelix"},
    };
    for (const Case& c : cases)
        EXPECT_STREQ(CSetupDlg::ProposedInstallFolder(c.windows), c.proposed) << c.windows;
}

TEST(SplitLastFolder, CutsAtTheLastBackslashDownToADrive) {
    struct Case {
        const char* path;
        const char* component; // returned
        const char* rest;      // the path afterwards
    };
    const Case cases[] = {
        {"C:\\A\\B\\C", "C", "C:\\A\\B"},
        {"C:\\A\\B C ", "B C ", "C:\\A"},
        {"C:\\A", "", "C:"},           // a drive is not split further
        {"C:\\A\\\\B", "", "C:\\A\\"}, // nor a parent ending in a backslash
        {"C:\\A\\", "", "C:\\A"},      // no component
        {"\\A", "", "\\A"},            // the only backslash leads
        {"C:/A/B", "", "C:/A/B"},      // forward slashes do not split
        {"", "", ""},
    };
    for (const Case& c : cases) {
        CString path = c.path;
        EXPECT_STREQ(CSetupDlg::SplitLastFolder(path), c.component) << c.path;
        EXPECT_STREQ(path, c.rest) << c.path;
    }
}

class SetupDlgTest : public ::testing::Test {
protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_TREEVIEW_CLASSES};
        ASSERT_TRUE(InitCommonControlsEx(&controls));
    }
};

TEST_F(SetupDlgTest, IconsAndTheBrowseButtonsFocus) {
    PreviousInstallation none(nullptr);
    MessageBoxRecorder boxes;
    CSetupDlg dialog;
    RunModal(dialog, {[&](HWND d) {
                 const HWND browse = dialog.m_browseButton.m_hWnd;
                 const HICON folder = HICON(SendMessageA(browse, BM_GETIMAGE, IMAGE_ICON, 0));
                 ICONINFO info = {};
                 ASSERT_TRUE(GetIconInfo(folder, &info));
                 BITMAP mask = {};
                 GetObjectA(info.hbmMask, sizeof mask, &mask);
                 EXPECT_EQ(mask.bmWidth, 16); // the folder at its own size
                 DeleteObject(info.hbmMask);
                 DeleteObject(info.hbmColor);

                 // It takes the focus but shows no focus rectangle.
                 SetFocus(browse);
                 EXPECT_EQ(GetFocus(), browse);
                 EXPECT_EQ(SendMessageA(browse, BM_GETSTATE, 0, 0) & BST_FOCUS, 0);

                 // The window's icons and its drag icon are the main icon.
                 EXPECT_EQ(HICON(SendMessageA(d, WM_GETICON, ICON_BIG, 0)), dialog.m_hIcon);
                 EXPECT_EQ(HICON(SendMessageA(d, WM_GETICON, ICON_SMALL, 0)), dialog.m_hIcon);
                 EXPECT_EQ(HICON(SendMessageA(d, WM_QUERYDRAGICON, 0, 0)), dialog.m_hIcon);
                 Click(d, IDCANCEL);
             }});
    EXPECT_NE(dialog.m_hIcon, nullptr);
    EXPECT_EQ(dialog.m_browseButton.m_hWnd, nullptr);
    EXPECT_STREQ(dialog.m_message, "Install Quorbelix?");
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(SetupDlgTest, OkDependsOnTheDialogsState) {
    PreviousInstallation none(nullptr);
    MessageBoxRecorder boxes;
    struct Case {
        const char* name;
        int busy, installed;
        ModalStep ok;
        bool ends; // with IDCANCEL
    };
    const Case cases[] = {
        {"busy, OK", 1, 0, [](HWND d) { Click(d, IDOK); }, false},
        {"busy, Enter", 1, 0, [](HWND) { PressKey(VK_RETURN); }, false},
        {"finished, OK", 0, 1, [](HWND d) { Click(d, IDOK); }, true},
        {"finished, Enter", 0, 1, [](HWND) { PressKey(VK_RETURN); }, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CSetupDlg dialog;
        dialog.m_busy = c.busy;
        dialog.m_installed = c.installed;
        bool stillOpen = false;
        const INT_PTR result =
            RunModal(dialog, {[](HWND d) { SetFocus(GetDlgItem(d, IDC_PATH_EDIT)); }, c.ok,
                              [&](HWND d) {
                                  stillOpen = true;
                                  EndDialog(d, 99);
                              }});
        EXPECT_EQ(result, c.ends ? IDCANCEL : 99);
        EXPECT_EQ(stillOpen, !c.ends);
    }
}

TEST_F(SetupDlgTest, ApplicationRunsTheDialogAsItsMainWindowAndEndsWithIt) {
    PreviousInstallation previous("C:\\Before");
    MessageBoxRecorder boxes({IDYES});
    CSetupApp app;
    HWND shown = nullptr;
    const INT_PTR result = RunWithSteps(
        [&]() -> HWND { return app.m_pMainWnd ? app.m_pMainWnd->m_hWnd : nullptr; }, {[&](HWND d) {
            shown = d;
            EXPECT_EQ(CSetupApp::GetPlatformFamily(), 2); // Wine passes for the NT family
            Click(d, IDCANCEL);
        }},
        [&] { return INT_PTR(app.InitInstance()); });
    EXPECT_EQ(result, FALSE);
    EXPECT_EQ(app.m_platformFamily, 2);
    EXPECT_EQ(app.m_pMainWnd, nullptr);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].owner, shown); // the question belongs to the dialog
}

} // namespace
