// The main dialog, run in-process from the installer's own resources: its template, its
// initialisation (proposed folder, reinstall question), its browse button and its states.
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

class SetupDlgTest : public ::testing::Test {
protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_TREEVIEW_CLASSES};
        ASSERT_TRUE(InitCommonControlsEx(&controls));
    }
};

TEST_F(SetupDlgTest, TemplateIsLaidOutAsDesigned) {
    PreviousInstallation none(nullptr);
    MessageBoxRecorder boxes;
    CSetupDlg dialog;
    RunModal(
        dialog, {[](HWND d) {
            EXPECT_STREQ(WindowText(d), "Setup Quorbelix");
            const LONG_PTR dialogStyle = GetWindowLongPtrA(d, GWL_STYLE);
            const LONG_PTR frame =
                LONG_PTR(WS_POPUP) | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
            EXPECT_EQ(dialogStyle & frame, frame);
            EXPECT_TRUE(GetWindowLongPtrA(d, GWL_EXSTYLE) & WS_EX_APPWINDOW);
            LOGFONTA font = {};
            GetObjectA(HFONT(SendMessageA(d, WM_GETFONT, 0, 0)), sizeof font, &font);
            EXPECT_STREQ(font.lfFaceName, "MS Sans Serif");

            RECT client;
            GetClientRect(d, &client);
            const RECT size = DialogUnits(d, 0, 0, 268, 118);
            EXPECT_EQ(client.right, size.right);
            EXPECT_EQ(client.bottom, size.bottom);

            struct Control {
                int id;
                bool visible;
                const char* className;
                int x, y, cx, cy;
                LONG_PTR styles; // all of these set
                LONG_PTR kind;   // the low four style bits
            };
            const Control controls[] = {
                {IDOK, true, "Button", 217, 103, 50, 14, WS_TABSTOP, BS_DEFPUSHBUTTON},
                {IDCANCEL, true, "Button", 162, 103, 50, 14, WS_TABSTOP, BS_PUSHBUTTON},
                {IDC_PATH_EDIT, true, "Edit", 2, 12, 241, 14, WS_TABSTOP | ES_AUTOHSCROLL, ES_LEFT},
                {IDC_MESSAGE, true, "Static", 3, 36, 261, 58, WS_GROUP, SS_LEFT},
                {IDC_PATH_LABEL, true, "Static", 3, 1, 40, 8, WS_GROUP, SS_LEFT},
                {IDC_BROWSE, false, "Button", 245, 11, 22, 16, WS_TABSTOP | WS_DISABLED | BS_FLAT,
                 BS_PUSHBUTTON},
            };
            for (const Control& c : controls) {
                SCOPED_TRACE(c.id);
                const HWND control = FindControl(d, c.id, c.visible);
                ASSERT_NE(control, nullptr);
                char className[32] = {};
                GetClassNameA(control, className, sizeof className);
                EXPECT_STRCASEEQ(className, c.className);
                const RECT expected = DialogUnits(d, c.x, c.y, c.cx, c.cy);
                const RECT actual = RectInParent(control);
                EXPECT_EQ(actual.left, expected.left);
                EXPECT_EQ(actual.top, expected.top);
                EXPECT_EQ(actual.right, expected.right);
                EXPECT_EQ(actual.bottom, expected.bottom);
                const LONG_PTR style = GetWindowLongPtrA(control, GWL_STYLE);
                EXPECT_EQ(style & c.styles, c.styles);
                EXPECT_EQ(style & 0xF, c.kind);
            }
            // The edit's border: the dialog manager draws it as a sunken edge.
            const HWND edit = GetDlgItem(d, IDC_PATH_EDIT);
            EXPECT_TRUE((GetWindowLongPtrA(edit, GWL_STYLE) & WS_BORDER) ||
                        (GetWindowLongPtrA(edit, GWL_EXSTYLE) & WS_EX_CLIENTEDGE));
            EXPECT_STREQ(WindowText(GetDlgItem(d, IDOK)), "OK");
            EXPECT_STREQ(WindowText(GetDlgItem(d, IDCANCEL)), "Cancel");
            EXPECT_STREQ(WindowText(GetDlgItem(d, IDC_PATH_LABEL)), "Setup path:");
            Click(d, IDCANCEL);
        }});
}

TEST_F(SetupDlgTest, WithoutPreviousInstallationProposesTheDefaultFolder) {
    PreviousInstallation none(nullptr);
    MessageBoxRecorder boxes;
    char windows[MAX_PATH] = {};
    GetWindowsDirectoryA(windows, MAX_PATH);
    const CString proposed = CSetupDlg::ProposedInstallFolder(windows);
    // Wine's Windows directory is C:\windows.
    EXPECT_STREQ(proposed, "C:\\Program Files\\Tessarin Software\\Quorbelix");

    CSetupDlg dialog;
    const INT_PTR result =
        RunModal(dialog, {[&](HWND d) {
                     EXPECT_STREQ(WindowText(GetDlgItem(d, IDC_PATH_EDIT)), proposed);
                     EXPECT_STREQ(WindowText(GetDlgItem(d, IDC_MESSAGE)), "Install Quorbelix?");
                     Click(d, IDCANCEL);
                 }});
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_STREQ(dialog.m_installFolder, proposed);
    EXPECT_STREQ(dialog.m_message, "Install Quorbelix?");
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(SetupDlgTest, BrowseButtonCoversThePlaceholderWithTheClosedFolder) {
    PreviousInstallation none(nullptr);
    MessageBoxRecorder boxes;
    CSetupDlg dialog;
    RunModal(dialog, {[&](HWND d) {
                 const HWND placeholder = FindControl(d, IDC_BROWSE, false);
                 const HWND browse = FindControl(d, IDC_BROWSE, true);
                 ASSERT_TRUE(placeholder && browse);
                 EXPECT_EQ(browse, dialog.m_browseButton.m_hWnd);
                 EXPECT_FALSE(IsWindowEnabled(placeholder));
                 EXPECT_TRUE(IsWindowEnabled(browse));

                 RECT expected = RectInParent(placeholder);
                 InflateRect(&expected, 2, 4);
                 const RECT actual = RectInParent(browse);
                 EXPECT_EQ(actual.left, expected.left);
                 EXPECT_EQ(actual.top, expected.top);
                 EXPECT_EQ(actual.right, expected.right);
                 EXPECT_EQ(actual.bottom, expected.bottom);

                 const LONG_PTR style = GetWindowLongPtrA(browse, GWL_STYLE);
                 EXPECT_EQ(style & (WS_CHILD | WS_VISIBLE | BS_ICON),
                           WS_CHILD | WS_VISIBLE | BS_ICON);
                 const HICON icon = HICON(SendMessageA(browse, BM_GETIMAGE, IMAGE_ICON, 0));
                 ICONINFO info = {};
                 ASSERT_TRUE(GetIconInfo(icon, &info));
                 BITMAP mask = {};
                 GetObjectA(info.hbmMask, sizeof mask, &mask);
                 EXPECT_EQ(mask.bmWidth, 16); // the folder at its own size
                 DeleteObject(info.hbmMask);
                 DeleteObject(info.hbmColor);

                 // It takes the focus but shows no focus rectangle.
                 SetFocus(browse);
                 EXPECT_EQ(GetFocus(), browse);
                 EXPECT_EQ(SendMessageA(browse, BM_GETSTATE, 0, 0) & BST_FOCUS, 0);

                 // The window's icons are the main icon.
                 EXPECT_EQ(HICON(SendMessageA(d, WM_GETICON, ICON_BIG, 0)), dialog.m_hIcon);
                 EXPECT_EQ(HICON(SendMessageA(d, WM_GETICON, ICON_SMALL, 0)), dialog.m_hIcon);
                 EXPECT_EQ(HICON(SendMessageA(d, WM_QUERYDRAGICON, 0, 0)), dialog.m_hIcon);
                 Click(d, IDCANCEL);
             }});
    EXPECT_NE(dialog.m_hIcon, nullptr);
    EXPECT_EQ(dialog.m_browseButton.m_hWnd, nullptr);
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
