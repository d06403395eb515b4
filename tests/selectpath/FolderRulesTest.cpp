// The Select Path dialog's rules that need no window: the free-space text and the name match.
#include <gtest/gtest.h>

#include "SelectPathDlg.h"

namespace {

// Volumes given by their cluster size and free clusters.
TEST(FreeSpaceText, KilobytesBelow8192MegabytesFromThereExactIn64Bits) {
    struct Case {
        ULONGLONG clusterBytes, freeClusters;
        const char* text;
    };
    const Case cases[] = {
        {4096, 1500, "6000KB free"},
        {1024, 8191, "8191KB free"},
        {1024, 8192, "8MB free"},
        {4096, 1000000, "3906MB free"},
        // Clusters below 1 KB: a floppy's 512 bytes, a small volume's 1.5 KB.
        {512, 2847, "1423KB free"},
        {512, 4000000000u, "1953125MB free"},
        {1536, 1001, "1501KB free"},
        // 4 TiB, where a count of whole kilobytes stops fitting in 32 bits.
        {4096, 0x3FFFBFFF, "4194239MB free"},
        {4096, 0x3FFFC000, "4194240MB free"},
        {4096, 0x40000000, "4194304MB free"},
        // More megabytes than 32 bits hold; the last nine digits keep their zeros.
        {1 << 20, 0xFFFFFFFF, "4294967295MB free"},
        {1 << 20, 0x100000000, "4294967296MB free"},
        {1 << 20, 5000000007, "5000000007MB free"},
        {1 << 22, 0xFFFFFFFF, "17179869180MB free"},
        {1, ~0ull, "17592186044415MB free"},
    };
    for (const Case& c : cases) {
        EXPECT_STREQ(CSelectPathDlg::FreeSpaceText(c.clusterBytes * c.freeClusters), c.text)
            << c.clusterBytes << " x " << c.freeClusters;
    }
}

TEST(SameName, FoldsTheLettersAToZOnly) {
    struct Case {
        const char *a, *b;
        bool same;
    };
    const Case cases[] = {
        {"Program Files", "program files", true},
        {"C:", "c:", true},
        {"Program Files", "Program Files (x86)", false},
        {"Program", "Program Files", false},
        {"[", "{", false},               // 0x5B and 0x7B differ by the case bit but are no letters
        {"\xC4rger", "\xE4rger", false}, // A-umlaut and a-umlaut in the Western code page
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CSelectPathDlg::SameName(c.a, c.b), c.same) << c.a << " / " << c.b;
        EXPECT_EQ(CSelectPathDlg::SameName(c.b, c.a), c.same) << c.b << " / " << c.a;
    }
}

} // namespace
