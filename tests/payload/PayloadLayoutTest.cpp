#include "PayloadLayout.h"

#include <gtest/gtest.h>

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes FakeFile(std::size_t bodyLength, std::uint8_t fill) {
    Bytes f(4 + bodyLength, fill);
    f[0] = 0x53, f[1] = 0x5A, f[2] = 0x44, f[3] = 0x44;
    return f;
}

TEST(PayloadLayout, WalksEntriesToTheEndMarker) {
    const Bytes p = payload::Build({FakeFile(10, 1), FakeFile(300, 2), FakeFile(1, 3)});
    ASSERT_EQ(p.size(), 4 + 10 + 4 + 300 + 4 + 1 + 4u);
    payload::Cursor c(p.data(), p.size());
    payload::Entry e;
    const std::uint32_t lengths[] = {10, 300, 1};
    std::size_t offset = 0;
    for (std::uint32_t n : lengths) {
        ASSERT_EQ(c.Next(e), payload::Step::entry);
        EXPECT_EQ(e.length, n);
        EXPECT_EQ(e.offset, offset);
        EXPECT_EQ(e.body, p.data() + offset + 4);
        EXPECT_EQ(payload::CompleteFile(e).size(), n + 4u);
        offset += 4 + n;
    }
    EXPECT_EQ(c.Next(e), payload::Step::end);
    EXPECT_EQ(c.Offset(), p.size() - 4);
}

TEST(PayloadLayout, NeverReadsPastTheEnd) {
    const Bytes p = payload::Build({FakeFile(10, 1)});
    struct Case {
        std::size_t size;
        payload::Step first;
        payload::Step second;
    } cases[] = {
        {0, payload::Step::truncated, payload::Step::truncated},
        {3, payload::Step::truncated, payload::Step::truncated},  // partial length field
        {13, payload::Step::truncated, payload::Step::truncated}, // body runs past the end
        {14, payload::Step::entry, payload::Step::truncated},     // no end marker
        {16, payload::Step::entry, payload::Step::truncated},     // partial end marker
        {18, payload::Step::entry, payload::Step::end},
    };
    for (const Case& k : cases) {
        // A copy of exactly k.size bytes, so that AddressSanitizer sees any overread.
        const Bytes cut(p.begin(), p.begin() + long(k.size));
        payload::Cursor c(cut.data(), cut.size());
        payload::Entry e;
        EXPECT_EQ(c.Next(e), k.first) << k.size;
        if (k.first == payload::Step::entry) {
            EXPECT_EQ(c.Next(e), k.second) << k.size;
        }
    }
}

TEST(PayloadLayout, LengthNearTheTopOfTheRangeDoesNotWrap) {
    const Bytes p = {0xFF, 0xFF, 0xFF, 0xFF, 1, 2, 3};
    payload::Cursor c(p.data(), p.size());
    payload::Entry e;
    EXPECT_EQ(c.Next(e), payload::Step::truncated);
}

TEST(PayloadLayout, RefusesFilesWithoutABody) {
    // A body of length 0 would read as the end marker.
    for (std::size_t size : {0, 3, 4}) {
        const Bytes file(size, 0x53);
        EXPECT_TRUE(payload::Build({FakeFile(10, 1), file}).empty()) << size;
    }
    EXPECT_EQ(payload::Build({FakeFile(1, 1)}).size(), 4 + 1 + 4u);
}

} // namespace
