// The Select Path dialog's rules that need no window: the free-space text and the name match.
#include <gtest/gtest.h>

#include "SelectPathDlg.h"

namespace {

TEST(FreeSpaceText, KilobytesBelow8192MegabytesFromThereEmptyWhenTooLarge) {
    struct Case {
        DWORD sectorsPerCluster, bytesPerSector, freeClusters;
        const char* text;
    };
    const Case cases[] = {
        {8, 512, 1500, "6000KB free"},
        {1, 1024, 8191, "8191KB free"},
        {1, 1024, 8192, "8MB free"},
        {8, 512, 1000000, "3906MB free"},
        {1, 512, 4000000000u, "0KB free"}, // a cluster below 1 KB counts as nothing
        {3, 512, 1000, "1000KB free"},     // 1.5 KB per cluster: 1 KB
        // The product of free clusters and kilobytes per cluster from 0xFFFF0000 on: empty.
        {1, 4096, 0x3FFFC000, ""},
        {64, 65536, 0x100000, ""},               // 2^32 KB: the product is taken wider than 32 bits
        {1, 4096, 0x3FFFBFFF, "4194239MB free"}, // just below the cut
        // The cluster size is a 32-bit product: 65,536 x 65,536 bytes wraps to 0.
        {65536, 65536, 0xFFFFFFFF, "0KB free"},
    };
    for (const Case& c : cases) {
        EXPECT_STREQ(
            CSelectPathDlg::FreeSpaceText(c.sectorsPerCluster, c.bytesPerSector, c.freeClusters),
            c.text)
            << c.sectorsPerCluster << " x " << c.bytesPerSector << " x " << c.freeClusters;
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
