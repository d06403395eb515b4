// Control wrappers on real controls: subclassing, the tree view, the image list.
#include <gtest/gtest.h>

#include <string>

#include "CButton.h"
#include "CImageList.h"
#include "ModalRunner.h"
#include "TestDialog.h"

namespace {

class ControlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_TREEVIEW_CLASSES};
        ASSERT_TRUE(InitCommonControlsEx(&controls));
    }
};

// Handles the focus message itself, so the button control's own handling never runs.
class NoFocusButton : public CButton {
protected:
    void OnSetFocus(HWND) {}
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(NoFocusButton, CButton)
    ON_WM_SETFOCUS()
END_MESSAGE_MAP()

TEST_F(ControlsTest, SubclassedButtonHandlesItsOwnFocusMessage) {
    TestDialog dialog;
    CButton plain;
    NoFocusButton quiet;
    dialog.onInit = [&](TestDialog& d) {
        ASSERT_TRUE(plain.SubclassWindow(GetDlgItem(d.m_hWnd, IDC_ACT)));
        const RECT r = {150, 30, 180, 60};
        ASSERT_TRUE(quiet.Create("", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, r, &d, 1500));
        EXPECT_EQ(GetDlgCtrlID(quiet.m_hWnd), 1500);
        EXPECT_EQ(GetParent(quiet.m_hWnd), d.m_hWnd);
    };
    HWND quietWindow = nullptr;
    RunModal(dialog, {[&](HWND) {
                          plain.SetFocus();
                          EXPECT_NE(plain.SendMessage(BM_GETSTATE) & BST_FOCUS, 0);
                          quietWindow = quiet.m_hWnd;
                          quiet.SetFocus();
                          EXPECT_EQ(GetFocus(), quiet.m_hWnd); // it has the focus...
                          EXPECT_EQ(quiet.SendMessage(BM_GETSTATE) & BST_FOCUS,
                                    0); // ...and shows none
                      },
                      [](HWND d) { Click(d, IDCANCEL); }});
    // The created button went with the dialog; the subclassed one was let go.
    EXPECT_FALSE(IsWindow(quietWindow));
    EXPECT_EQ(quiet.m_hWnd, nullptr);
    EXPECT_EQ(plain.m_hWnd, nullptr);
}

// A button made at run time reports its clicks to the dialog under its control id.
class ClickCountingDialog : public TestDialog {
public:
    CButton created;
    int clicks = 0;

protected:
    void OnCreatedClicked() { ++clicks; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(ClickCountingDialog, TestDialog)
    ON_BN_CLICKED(1500, OnCreatedClicked)
END_MESSAGE_MAP()

TEST_F(ControlsTest, CreatedButtonReportsClicksUnderItsId) {
    ClickCountingDialog dialog;
    const HICON icon = LoadIconA(nullptr, IDI_APPLICATION);
    dialog.onInit = [&](TestDialog&) {
        const RECT r = {150, 30, 180, 60};
        ASSERT_TRUE(dialog.created.Create("", WS_CHILD | WS_VISIBLE | BS_ICON, r, &dialog, 1500));
        dialog.created.SetIcon(icon);
    };
    RunModal(dialog, {[&](HWND) {
                          EXPECT_EQ(HICON(dialog.created.SendMessage(BM_GETIMAGE, IMAGE_ICON)),
                                    icon);
                          PostMessageA(dialog.created.m_hWnd, BM_CLICK, 0, 0);
                      },
                      [](HWND d) { Click(d, IDCANCEL); }});
    EXPECT_EQ(dialog.clicks, 1);
}

TEST_F(ControlsTest, TreeInsertsSortsWalksAndChangesItems) {
    TestDialog dialog;
    RunModal(dialog, {[&](HWND) {
                          CTreeCtrl& tree = dialog.m_tree;
                          const HTREEITEM b = tree.InsertItem("b", 0, 0, TVI_ROOT, TVI_SORT);
                          const HTREEITEM a = tree.InsertItem("a", 0, 0, TVI_ROOT, TVI_SORT);
                          const HTREEITEM c = tree.InsertItem("C", 0, 0, TVI_ROOT, TVI_SORT);
                          // Sorted alphabetically, whatever the letter case.
                          EXPECT_EQ(tree.GetChildItem(nullptr), a);
                          EXPECT_EQ(tree.GetNextSiblingItem(a), b);
                          EXPECT_EQ(tree.GetNextSiblingItem(b), c);
                          EXPECT_EQ(tree.GetNextSiblingItem(c), nullptr);

                          const HTREEITEM child = tree.InsertItem("child", 0, 0, a);
                          const HTREEITEM placeholder = tree.InsertItem("", 0, 0, b);
                          EXPECT_EQ(tree.GetParentItem(child), a);
                          EXPECT_STREQ(tree.GetItemText(child), "child");
                          EXPECT_STREQ(tree.GetItemText(placeholder), "");
                          EXPECT_TRUE(tree.DeleteItem(placeholder));
                          EXPECT_EQ(tree.GetChildItem(b), nullptr);

                          // Texts come back through a buffer of 260 characters.
                          const std::string longText(300, 'x');
                          const HTREEITEM longItem = tree.InsertItem(longText.c_str(), 0, 0);
                          EXPECT_EQ(tree.GetItemText(longItem).GetLength(), 259);

                          EXPECT_TRUE(tree.SetItemImage(a, 1, 1));
                          EXPECT_TRUE(tree.Expand(a, TVE_EXPAND));
                          EXPECT_TRUE(tree.SetItemState(c, TVIS_BOLD, TVIS_BOLD));
                      },
                      [](HWND d) { Click(d, IDCANCEL); }});
}

TEST_F(ControlsTest, TreeSelectionScrollingStylesAndImages) {
    TestDialog dialog;
    CImageList images;
    RunModal(dialog, {[&](HWND) {
                          CTreeCtrl& tree = dialog.m_tree;
                          HTREEITEM last = nullptr;
                          for (int i = 0; i < 40; ++i)
                              last = tree.InsertItem(("item " + std::to_string(100 + i)).c_str(), 0,
                                                     0);
                          EXPECT_TRUE(tree.SelectItem(last));
                          EXPECT_EQ(tree.GetSelectedItem(), last);
                          EXPECT_EQ(dialog.selectionChanges, 1); // the dialog heard of it
                          tree.EnsureVisible(last);

                          const DWORD lines = TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT;
                          EXPECT_TRUE(tree.ModifyStyle(0, lines));
                          EXPECT_EQ(tree.GetStyle() & lines, lines);
                          EXPECT_TRUE(tree.GetStyle() & WS_TABSTOP); // nothing removed
                          EXPECT_FALSE(tree.ModifyStyle(0, lines));  // no change

                          ASSERT_TRUE(images.Create(16, 16, ILC_MASK, 0, 8));
                          EXPECT_EQ(images.Add(LoadIconA(nullptr, IDI_APPLICATION)), 0);
                          EXPECT_EQ(images.Add(LoadIconA(nullptr, IDI_WARNING)), 1);
                          EXPECT_EQ(tree.SetImageList(&images, TVSIL_NORMAL), nullptr);
                      },
                      [](HWND d) { Click(d, IDCANCEL); }});
    EXPECT_TRUE(images.DeleteImageList());
    EXPECT_EQ(images.GetSafeHandle(), nullptr);
    EXPECT_EQ(images.Add(LoadIconA(nullptr, IDI_APPLICATION)), -1);
}

} // namespace
