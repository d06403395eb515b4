// Modal dialogs from a template: ending, data exchange, message-map dispatch, default
// processing.
#include <gtest/gtest.h>

#include "ModalRunner.h"
#include "TestDialog.h"

namespace {

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_TREEVIEW_CLASSES};
        ASSERT_TRUE(InitCommonControlsEx(&controls));
    }
};

CString TextOf(HWND hwnd) {
    char text[256] = {};
    GetWindowTextA(hwnd, text, sizeof text);
    return text;
}

TEST_F(DialogTest, EachWayOfEndingGivesItsResultAndOnlyOkSavesTheText) {
    struct Case {
        const char* name;
        ModalStep end;
        INT_PTR result;
        const char* savedText;
    };
    const Case cases[] = {
        {"OK clicked", [](HWND d) { Click(d, IDOK); }, IDOK, "typed"},
        {"Enter", [](HWND) { PressKey(VK_RETURN); }, IDOK, "typed"},
        {"Cancel clicked", [](HWND d) { Click(d, IDCANCEL); }, IDCANCEL, "initial"},
        {"Esc", [](HWND) { PressKey(VK_ESCAPE); }, IDCANCEL, "initial"},
        {"close box", [](HWND d) { PostMessageA(d, WM_CLOSE, 0, 0); }, IDCANCEL, "initial"},
        {"EndDialog", [](HWND d) { EndDialog(d, 42); }, 42, "initial"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestDialog dialog;
        const INT_PTR result =
            RunModal(dialog, {[](HWND d) { SetDlgItemTextA(d, IDC_TEXT, "typed"); }, c.end});
        EXPECT_EQ(result, c.result);
        EXPECT_STREQ(dialog.m_text, c.savedText);
        EXPECT_EQ(dialog.m_hWnd, nullptr);
    }
}

TEST_F(DialogTest, MissingTemplateGivesMinusOne) {
    TestDialog dialog(IDD_MISSING);
    EXPECT_EQ(dialog.DoModal(), -1);
}

TEST_F(DialogTest, DataExchangeBindsControlsAndCopiesTextBothWays) {
    TestDialog dialog;
    HWND edit = nullptr;
    dialog.onInit = [&](TestDialog& d) {
        edit = GetDlgItem(d.m_hWnd, IDC_TEXT);
        EXPECT_EQ(d.m_edit.m_hWnd, edit);
        EXPECT_EQ(CWnd::FromHandlePermanent(edit), &d.m_edit);
        EXPECT_EQ(d.GetDlgItem(IDC_TEXT), &d.m_edit); // the bound member, not a wrapper
        EXPECT_STREQ(TextOf(edit), "initial");        // exchanged in by OnInitDialog
    };
    const INT_PTR result = RunModal(dialog, {[&](HWND) {
                                                 dialog.m_text = "into the control";
                                                 EXPECT_TRUE(dialog.UpdateData(FALSE));
                                                 EXPECT_STREQ(TextOf(edit), "into the control");
                                                 dialog.m_edit.SetWindowText("out of the control");
                                                 EXPECT_TRUE(dialog.UpdateData(TRUE));
                                                 EXPECT_STREQ(dialog.m_text, "out of the control");
                                                 // A second exchange keeps the binding.
                                                 EXPECT_EQ(dialog.m_edit.m_hWnd, edit);
                                             },
                                             [](HWND d) { Click(d, IDCANCEL); }});
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(dialog.m_edit.m_hWnd, nullptr); // let go when the window went
    EXPECT_EQ(dialog.m_tree.m_hWnd, nullptr);
}

TEST_F(DialogTest, OkDoesNotEndTheDialogWhenTheExchangeFails) {
    TestDialog dialog;
    dialog.bindAbsentControl = true;
    bool stillOpen = false;
    const INT_PTR result = RunModal(dialog, {[](HWND d) { Click(d, IDOK); },
                                             [&](HWND d) {
                                                 stillOpen = IsWindow(d);
                                                 Click(d, IDCANCEL);
                                             }});
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(result, IDCANCEL);
}

TEST_F(DialogTest, MessageMapMatchesMessageCodeAndControlId) {
    TestDialog dialog;
    dialog.dragIcon = LoadIconA(nullptr, IDI_APPLICATION);
    RunModal(dialog, {[](HWND d) {
                          Click(d, IDC_ACT); // BN_CLICKED from IDC_ACT
                          PostMessageA(d, WM_COMMAND, MAKEWPARAM(IDC_ACT, BN_DOUBLECLICKED), 0);
                          PostMessageA(d, WM_COMMAND, MAKEWPARAM(IDC_LABEL, BN_CLICKED), 0);
                      },
                      [&](HWND d) {
                          EXPECT_EQ(dialog.acts, 1);

                          NMHDR header = {GetDlgItem(d, IDC_TREE), IDC_TREE, UINT(TVN_SELCHANGEDA)};
                          // Handled: the handler's result comes back through DWLP_MSGRESULT.
                          EXPECT_EQ(SendMessageA(d, WM_NOTIFY, IDC_TREE, LPARAM(&header)), 7);
                          header.idFrom = IDC_TEXT; // same code, other control
                          EXPECT_EQ(SendMessageA(d, WM_NOTIFY, IDC_TEXT, LPARAM(&header)), 0);
                          header.idFrom = IDC_TREE;
                          header.code = UINT(TVN_ITEMEXPANDINGA); // same control, other code
                          EXPECT_EQ(SendMessageA(d, WM_NOTIFY, IDC_TREE, LPARAM(&header)), 0);
                          EXPECT_EQ(dialog.selectionChanges, 1);

                          // Returned by the dialog procedure itself, not through DWLP_MSGRESULT.
                          EXPECT_EQ(SendMessageA(d, WM_QUERYDRAGICON, 0, 0),
                                    LRESULT(dialog.dragIcon));
                          Click(d, IDCANCEL);
                      }});
}

// A derived dialog's entries come before its base's; the base's still serve the rest.
class DerivedDialog : public TestDialog {
protected:
    void OnOwnOk() { EndDialog(77); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(DerivedDialog, TestDialog)
    ON_BN_CLICKED(IDOK, OnOwnOk)
END_MESSAGE_MAP()

TEST_F(DialogTest, DerivedMapComesFirstAndBaseMapsStillServe) {
    DerivedDialog dialog;
    const INT_PTR result =
        RunModal(dialog, {[](HWND d) { Click(d, IDC_ACT); }, [](HWND d) { Click(d, IDOK); }});
    EXPECT_EQ(result, 77);
    EXPECT_EQ(dialog.acts, 1);
    EXPECT_STREQ(dialog.m_text, "initial"); // CDialog::OnOK did not run
}

TEST_F(DialogTest, DefaultFromAHandlerLetsTheDialogManagerPaint) {
    TestDialog dialog;
    RunModal(dialog, {[&](HWND d) {
                 const int before = dialog.paints;
                 InvalidateRect(d, nullptr, TRUE);
                 UpdateWindow(d);
                 EXPECT_EQ(dialog.paints, before + 1);
                 // Had the handler swallowed WM_PAINT, the region would still be
                 // invalid.
                 EXPECT_FALSE(GetUpdateRect(d, nullptr, FALSE));
                 Click(d, IDCANCEL);
             }});
}

TEST_F(DialogTest, GetDlgItemWrapsUnboundControls) {
    TestDialog dialog;
    RunModal(dialog, {[&](HWND d) {
                 CWnd* ok = dialog.GetDlgItem(IDOK);
                 ASSERT_NE(ok, nullptr);
                 EXPECT_EQ(ok->m_hWnd, GetDlgItem(d, IDOK));
                 EXPECT_EQ(dialog.GetDlgItem(IDOK), ok); // the same wrapper again
                 EXPECT_EQ(dialog.GetDlgItem(IDC_ABSENT), nullptr);
                 ok->ShowWindow(SW_HIDE);
                 EXPECT_FALSE(IsWindowVisible(GetDlgItem(d, IDOK)));
                 dialog.GetDlgItem(IDCANCEL)->SetWindowText("Close");
                 EXPECT_STREQ(TextOf(GetDlgItem(d, IDCANCEL)), "Close");
                 Click(d, IDCANCEL);
             }});
}

} // namespace
