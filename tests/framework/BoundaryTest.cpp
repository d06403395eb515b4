// No exception unwinds through Windows: a handler's exception ends the running dialog and is
// thrown again by DoModal.
#include <gtest/gtest.h>

#include <stdexcept>

#include "CButton.h"
#include "ModalRunner.h"
#include "TestDialog.h"

namespace {

class BoundaryTest : public ::testing::Test {
protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_TREEVIEW_CLASSES};
        ASSERT_TRUE(InitCommonControlsEx(&controls));
    }
};

// A button whose own focus handler throws: a subclassed control's procedure is a boundary too.
class ThrowingButton : public CButton {
protected:
    void OnSetFocus(HWND) { throw std::runtime_error("from a control"); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(ThrowingButton, CButton)
    ON_WM_SETFOCUS()
END_MESSAGE_MAP()

TEST_F(BoundaryTest, HandlerExceptionEndsTheDialogAndComesOutOfDoModal) {
    struct Case {
        const char* name;
        std::function<void(TestDialog&)> arrange;
        ModalStep trigger;
        const char* message;
    };
    ThrowingButton button;
    const Case cases[] = {
        {"click handler",
         [](TestDialog& d) { d.onAct = [](TestDialog&) { throw std::runtime_error("click"); }; },
         [](HWND d) { Click(d, IDC_ACT); }, "click"},
        {"initialisation",
         [](TestDialog& d) { d.onInit = [](TestDialog&) { throw std::runtime_error("init"); }; },
         [](HWND) {}, "init"},
        {"sent message",
         [](TestDialog& d) { d.onAct = [](TestDialog&) { throw std::runtime_error("sent"); }; },
         [](HWND d) {
             // The sender gets FALSE back; the exception stays on this side.
             EXPECT_EQ(SendMessageA(d, WM_COMMAND, IDC_ACT, 0), 0);
         },
         "sent"},
        {"subclassed control",
         [&](TestDialog& d) {
             d.onInit = [&](TestDialog& self) {
                 const RECT r = {10, 10, 40, 30};
                 ASSERT_TRUE(button.Create("", WS_CHILD | WS_VISIBLE, r, &self, 1500));
             };
         },
         [&](HWND) { button.SetFocus(); }, "from a control"},
        {"nested dialog",
         [](TestDialog& d) {
             d.onAct = [](TestDialog& outer) {
                 TestDialog inner(IDD_TEST, &outer);
                 inner.onInit = [](TestDialog&) { throw std::runtime_error("inner"); };
                 inner.DoModal();
                 ADD_FAILURE() << "the inner DoModal returned";
             };
         },
         [](HWND d) { Click(d, IDC_ACT); }, "inner"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestDialog dialog;
        c.arrange(dialog);
        HWND seen = nullptr;
        try {
            RunModal(dialog, {[&](HWND d) {
                                  seen = d;
                                  c.trigger(d);
                              },
                              [](HWND d) { Click(d, IDCANCEL); }});
            ADD_FAILURE() << "DoModal returned normally";
        } catch (const std::runtime_error& error) {
            EXPECT_STREQ(error.what(), c.message);
        }
        EXPECT_EQ(dialog.m_hWnd, nullptr);
        if (seen) {
            EXPECT_FALSE(IsWindow(seen));
        }
        EXPECT_EQ(button.m_hWnd, nullptr);

        // Nothing is left over for the next dialog.
        TestDialog next;
        EXPECT_EQ(RunModal(next, {[](HWND d) { Click(d, IDCANCEL); }}), IDCANCEL);
    }
}

} // namespace
