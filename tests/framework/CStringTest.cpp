#include "CString.h"

#include <gtest/gtest.h>

namespace {

TEST(CString, TrimRemovesExactlyTheSixWhiteSpaceCharacters) {
    CString s(" \t\n\v\f\rC:\\A B\r\f\v\n\t ");
    s.TrimLeft();
    EXPECT_STREQ(s, "C:\\A B\r\f\v\n\t ");
    s.TrimRight();
    EXPECT_STREQ(s, "C:\\A B");
    CString other("\xA0x\xA0"); // a no-break space is not white space
    other.TrimRight();
    other.TrimLeft();
    EXPECT_STREQ(other, "\xA0x\xA0");
}

TEST(CString, SubstringsClampToTheText) {
    const CString s("abcdef");
    EXPECT_STREQ(s.Left(2), "ab");
    EXPECT_STREQ(s.Left(10), "abcdef");
    EXPECT_STREQ(s.Left(-1), "");
    EXPECT_STREQ(s.Mid(4), "ef");
    EXPECT_STREQ(s.Mid(6), "");
    EXPECT_STREQ(s.Mid(1, 2), "bc");
    EXPECT_STREQ(s.Mid(5, 9), "f");
}

TEST(CString, FindsAndFormats) {
    const CString s("C:\\Program Files\\X");
    EXPECT_EQ(s.Find('\\'), 2);
    EXPECT_EQ(s.Find('\\', 3), 16);
    EXPECT_EQ(s.ReverseFind('\\'), 16);
    EXPECT_EQ(s.Find('?'), -1);
    CString f;
    f.Format("%dKB free", 8191);
    EXPECT_STREQ(f, "8191KB free");
    f.Format("Error Drive: %s\r\nCorrect and try again", "A:");
    EXPECT_STREQ(f, "Error Drive: A:\r\nCorrect and try again");
}

TEST(CString, BufferAccess) {
    CString s;
    char* p = s.GetBuffer(260);
    lstrcpyA(p, "C:\\windows");
    s.ReleaseBuffer();
    EXPECT_EQ(s.GetLength(), 10);
    s.GetBuffer(0);
    s.ReleaseBuffer(2);
    EXPECT_STREQ(s, "C:");
}

TEST(CString, UpperCaseAndConcatenation) {
    CString s("c:");
    s.MakeUpper();
    EXPECT_STREQ(s, "C:");
    CString t = s + "\\Program Files" + CString("\\X") + "\\";
    EXPECT_STREQ(t, "C:\\Program Files\\X\\");
    EXPECT_TRUE(t == "C:\\Program Files\\X\\");
    EXPECT_TRUE(CString().IsEmpty());
}

// The text lives in one buffer of its own: growing it from its own characters, copies and
// moved-from texts must all stay intact.
TEST(CString, OwnTextAsSourceCopiesAndMoves) {
    CString s("ab");
    for (int i = 0; i < 6; ++i)
        s += s; // the source is the buffer that grows
    EXPECT_EQ(s.GetLength(), 128);
    s = s.GetString() + 126; // assigned from its own tail
    EXPECT_STREQ(s, "ab");

    CString copy(s);
    copy += "c";
    EXPECT_STREQ(s, "ab");
    CString moved(static_cast<CString&&>(copy));
    EXPECT_STREQ(moved, "abc");
    EXPECT_STREQ(copy, ""); // a moved-from text is empty, not dangling
    copy = "again";
    EXPECT_STREQ(copy, "again");

    CString empty;
    EXPECT_EQ(empty.GetBuffer(0)[0], '\0');
    empty.ReleaseBuffer();
    EXPECT_TRUE(empty == "");
}

} // namespace
