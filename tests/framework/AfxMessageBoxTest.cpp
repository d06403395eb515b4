#include "AfxMessageBox.h"

#include <gtest/gtest.h>

namespace {

struct Recorded {
    CString text, caption;
    UINT type = 0;
    int calls = 0;
} g_box;

int Record(HWND, const char* text, const char* caption, UINT type) {
    g_box.text = text;
    g_box.caption = caption;
    g_box.type = type;
    ++g_box.calls;
    return IDYES;
}

class MessageBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_box = Recorded();
        previous_ = AfxSetMessageBoxHook(Record);
    }
    void TearDown() override { AfxSetMessageBoxHook(previous_); }
    AfxMessageBoxHook previous_ = nullptr;
};

TEST_F(MessageBoxTest, CaptionIsTheExecutableNameWithoutExtension) {
    AfxMessageBox("File Error");
    EXPECT_EQ(g_box.calls, 1);
    EXPECT_STREQ(g_box.caption, "framework_tests");
    EXPECT_STREQ(g_box.text, "File Error");
}

TEST_F(MessageBoxTest, OkAndYesNoBoxesGetTheExclamationIcon) {
    AfxMessageBox("x");
    EXPECT_EQ(g_box.type, UINT(MB_OK | MB_ICONEXCLAMATION));
    EXPECT_EQ(AfxMessageBox("q", MB_YESNO), IDYES);
    EXPECT_EQ(g_box.type, UINT(MB_YESNO | MB_ICONEXCLAMATION));
    AfxMessageBox("i", MB_OK | MB_ICONINFORMATION); // an icon asked for is kept
    EXPECT_EQ(g_box.type, UINT(MB_OK | MB_ICONINFORMATION));
}

} // namespace
