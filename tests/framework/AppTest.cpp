// The application object: the entry point, help, the main window, the wait cursor.
#include <gtest/gtest.h>

#include <new>
#include <stdexcept>

#include "AfxMessageBox.h"
#include "CFileException.h"
#include "CWaitCursor.h"
#include "CWinApp.h"
#include "ModalRunner.h"
#include "TestDialog.h"

namespace {

struct Box {
    HWND owner;
    CString text;
    UINT type;
};
std::vector<Box> g_boxes;

int RecordBox(HWND owner, const char* text, const char*, UINT type) {
    g_boxes.push_back({owner, text, type});
    return IDOK;
}

class AppTest : public ::testing::Test {
protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_TREEVIEW_CLASSES};
        ASSERT_TRUE(InitCommonControlsEx(&controls));
        g_boxes.clear();
        previous_ = AfxSetMessageBoxHook(RecordBox);
    }
    void TearDown() override { AfxSetMessageBoxHook(previous_); }
    AfxMessageBoxHook previous_ = nullptr;
};

class TestApp : public CWinApp {
public:
    std::function<BOOL()> init;
    int exitCode = 0;
    int helpCalls = 0;
    UINT helpCommand = 0;
    CString helpFile;

    BOOL InitInstance() override { return init ? init() : FALSE; }
    int ExitInstance() override { return exitCode; }
    void WinHelp(DWORD_PTR, UINT command) override {
        ++helpCalls;
        helpCommand = command;
        helpFile = m_helpFilePath;
    }
};

TEST_F(AppTest, EntryPointSetsTheErrorModeAndEndsWithExitInstance) {
    TestApp app;
    app.exitCode = 5;
    UINT modeSeen = 0;
    app.init = [&] {
        modeSeen = SetErrorMode(0);
        SetErrorMode(modeSeen);
        return FALSE;
    };
    EXPECT_EQ(AfxWinMain(), 5);
    EXPECT_EQ(modeSeen & (SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX),
              UINT(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX));
    EXPECT_TRUE(g_boxes.empty());
}

TEST_F(AppTest, EntryPointShowsAnEscapedExceptionAndFails) {
    struct Case {
        std::function<BOOL()> init;
        const char* text;
    };
    const Case cases[] = {
        {[]() -> BOOL { throw std::runtime_error("broken"); }, "broken"},
        {[]() -> BOOL { throw std::bad_alloc(); }, "Out of memory"},
        {[]() -> BOOL { throw 3; }, "Unexpected error"},
        {[]() -> BOOL { CFileException::ThrowOsError(ERROR_ACCESS_DENIED, "C:\\KRZ.exe"); },
         "File error 5: C:\\KRZ.exe"},
        {[]() -> BOOL {
             // From a handler inside a dialog: carried out of DoModal to the entry point.
             TestDialog dialog;
             dialog.onInit = [](TestDialog&) { throw std::runtime_error("in a dialog"); };
             dialog.DoModal();
             return FALSE;
         },
         "in a dialog"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        g_boxes.clear();
        TestApp app;
        app.init = c.init;
        EXPECT_EQ(AfxWinMain(), 1);
        ASSERT_EQ(g_boxes.size(), 1u);
        EXPECT_STREQ(g_boxes[0].text, c.text);
        EXPECT_EQ(g_boxes[0].type, UINT(MB_OK | MB_ICONSTOP));
    }
}

TEST_F(AppTest, HelpOpensTheHelpFileNamedAfterTheExecutable) {
    TestApp app;
    const CString& path = app.m_helpFilePath;
    EXPECT_STREQ(path.Mid(path.ReverseFind('\\') + 1), "framework_tests.HLP");
    EXPECT_EQ(path.Find(':'), 1); // a full path

    TestDialog dialog;
    RunModal(dialog, {[](HWND d) {
                          HELPINFO info = {sizeof info, HELPINFO_WINDOW,
                                           IDC_TEXT,    GetDlgItem(d, IDC_TEXT),
                                           0,           {0, 0}};
                          SendMessageA(d, WM_HELP, 0, LPARAM(&info));
                      },
                      [&](HWND d) {
                          EXPECT_EQ(app.helpCalls, 1);
                          PostMessageA(d, WM_COMMAND, ID_HELP, 0);
                      },
                      [&](HWND d) {
                          EXPECT_EQ(app.helpCalls, 2);
                          Click(d, IDCANCEL);
                      }});
    EXPECT_EQ(app.helpCommand, UINT(HELP_FINDER));
    EXPECT_STREQ(app.helpFile, path);
}

TEST_F(AppTest, MainDialogOwnsMessageBoxesFromItsInitialisationOn) {
    TestApp app;
    TestDialog dialog;
    app.m_pMainWnd = &dialog;
    HWND during = nullptr;
    dialog.onInit = [&](TestDialog& d) {
        during = d.m_hWnd;
        AfxMessageBox("Reinstall?", MB_YESNO);
    };
    RunModal(dialog, {[](HWND d) { Click(d, IDCANCEL); }});
    app.m_pMainWnd = nullptr;
    ASSERT_EQ(g_boxes.size(), 1u);
    EXPECT_EQ(g_boxes[0].owner, during);
    EXPECT_EQ(g_boxes[0].type, UINT(MB_YESNO | MB_ICONEXCLAMATION));
}

TEST_F(AppTest, WaitCursorsNestRestoreAndHoldOverTheDialog) {
    const HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
    const HCURSOR wait = LoadCursorA(nullptr, IDC_WAIT);
    SetCursor(arrow);
    {
        CWaitCursor outer;
        EXPECT_EQ(GetCursor(), wait);
        { CWaitCursor inner; }
        EXPECT_EQ(GetCursor(), wait); // the outer one still holds
    }
    EXPECT_EQ(GetCursor(), arrow);

    TestDialog dialog;
    RunModal(dialog, {[&](HWND d) {
                 const LPARAM mouse = MAKELPARAM(HTCLIENT, WM_MOUSEMOVE);
                 {
                     CWaitCursor busy;
                     SetCursor(arrow);
                     EXPECT_TRUE(SendMessageA(d, WM_SETCURSOR, WPARAM(d), mouse));
                     EXPECT_EQ(GetCursor(), wait);
                 }
                 SetCursor(wait);
                 SendMessageA(d, WM_SETCURSOR, WPARAM(d), mouse);
                 EXPECT_EQ(GetCursor(), arrow); // the dialog's own cursor again
                 Click(d, IDCANCEL);
             }});
}

} // namespace
