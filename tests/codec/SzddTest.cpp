#include "Szdd.h"
#include "TestData.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using szdd::Status;
using testdata::Bytes;
using testdata::FileWithStream;
using testdata::FromString;
using testdata::Kind;

bool IsPrefix(const Bytes& part, const Bytes& whole) {
    return part.size() <= whole.size() && std::equal(part.begin(), part.end(), whole.begin());
}

Bytes Stream(const Bytes& file) {
    return Bytes(file.begin() + szdd::kHeaderSize, file.end());
}

TEST(SzddGolden, ExpandsHandWrittenStreams) {
    for (const testdata::Golden& g : testdata::kGoldens) {
        SCOPED_TRACE(g.name);
        const Bytes file = FileWithStream(g.stream, std::uint32_t(g.expanded.size()));
        Bytes out;
        ASSERT_EQ(szdd::Expand(file.data(), file.size(), out), Status::ok);
        EXPECT_EQ(out, FromString(g.expanded));
        EXPECT_EQ(testdata::RingExpand(file), FromString(g.expanded));
    }
}

// The goldens pin the write position's start: a ring started at 0 gets them wrong.
TEST(SzddGolden, RingStartingAtZeroFailsThem) {
    int differing = 0;
    for (const testdata::Golden& g : testdata::kGoldens) {
        const Bytes file = FileWithStream(g.stream, std::uint32_t(g.expanded.size()));
        const Bytes wrong = testdata::RingExpand(file, 0);
        EXPECT_EQ(wrong.size(), g.expanded.size()) << g.name;
        EXPECT_EQ(wrong != FromString(g.expanded), g.dependsOnRingStart) << g.name;
        differing += wrong != FromString(g.expanded);
    }
    EXPECT_GE(differing, 5);
}

TEST(SzddGolden, EncoderWritesTheOnlySmallestStream) {
    struct Case {
        std::string input;
        bool useInitialSpaces;
        Bytes stream;
    } cases[] = {
        {"", true, {}},
        {"abc", true, {0x07, 'a', 'b', 'c'}},
        {"aaaaaa", true, {0x01, 'a', 0xF0, 0xF2}},
        {"abababababababababab", true, {0x03, 'a', 'b', 0xF0, 0xFF}},
        {"     ", false, {0x01, ' ', 0xF0, 0xF1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.input);
        szdd::CompressOptions options;
        options.useInitialSpaces = c.useInitialSpaces;
        Bytes file;
        const Bytes input = FromString(c.input);
        ASSERT_EQ(szdd::Compress(input.data(), input.size(), file, options), Status::ok);
        EXPECT_EQ(file, FileWithStream(c.stream, std::uint32_t(input.size())));
    }
}

TEST(SzddGolden, HeaderCarriesSizeAndMissingCharacter) {
    const Bytes input(300, 'x');
    const Bytes file = szdd::Compress(input.data(), input.size(), 'L');
    const Bytes header = {0x53, 0x5A, 0x44, 0x44, 0x88, 0xF0, 0x27, 0x33, 0x41, 'L', 0x2C, 1, 0, 0};
    ASSERT_GE(file.size(), header.size());
    EXPECT_EQ(Bytes(file.begin(), file.begin() + 14), header);
    szdd::Header parsed;
    ASSERT_EQ(szdd::ReadHeader(file.data(), file.size(), parsed), Status::ok);
    EXPECT_EQ(parsed.missingChar, 'L');
    EXPECT_EQ(parsed.expandedSize, 300u);
}

// Leading spaces come from the ring's initial content in one match, which only the spaces
// option allows; without it the first space must be a literal.
TEST(SzddGolden, InitialSpacesServeAsSource) {
    const Bytes input = FromString("                  x");
    for (bool spaces : {true, false}) {
        szdd::CompressOptions options;
        options.useInitialSpaces = spaces;
        Bytes file;
        ASSERT_EQ(szdd::Compress(input.data(), input.size(), file, options), Status::ok);
        EXPECT_EQ(testdata::RingExpand(file), input);
        // With spaces: match(18) literal = 1 flag + 2 + 1; without: literal match(17) literal.
        EXPECT_EQ(Stream(file).size(), spaces ? 4u : 5u);
        if (spaces) {
            EXPECT_EQ(Stream(file)[2] & 0x0F, 15);
        }
    }
}

void ExpectRoundTrip(const Bytes& input, const szdd::CompressOptions& options) {
    Bytes file;
    ASSERT_EQ(szdd::Compress(input.data(), input.size(), file, options), Status::ok);
    szdd::Header header;
    ASSERT_EQ(szdd::ReadHeader(file.data(), file.size(), header), Status::ok);
    EXPECT_EQ(header.expandedSize, input.size());
    // Never larger than literals alone.
    EXPECT_LE(file.size(), szdd::kHeaderSize + input.size() + (input.size() + 7) / 8);
    Bytes out;
    ASSERT_EQ(szdd::Expand(file.data(), file.size(), out), Status::ok);
    EXPECT_TRUE(out == input);
    if (input.size() <= 200000) {
        EXPECT_TRUE(testdata::RingExpand(file) == input);
    }
}

TEST(SzddRoundTrip, EdgeSizesAndKinds) {
    const std::size_t sizes[] = {0, 1, 2, 3, 15, 16, 17, 18, 19, 4095, 4096, 4097, 100000};
    for (Kind kind : {Kind::random, Kind::fewSymbols, Kind::runs, Kind::periodic, Kind::structured})
        for (std::size_t n : sizes)
            for (bool spaces : {true, false}) {
                SCOPED_TRACE(testing::Message()
                             << testdata::KindName(kind) << " size " << n << " spaces " << spaces);
                szdd::CompressOptions options;
                options.useInitialSpaces = spaces;
                ExpectRoundTrip(testdata::Make(kind, n, unsigned(n) * 7 + 1), options);
            }
}

TEST(SzddRoundTrip, TwoMillionBytes) {
    for (Kind kind : {Kind::runs, Kind::structured}) {
        SCOPED_TRACE(testdata::KindName(kind));
        ExpectRoundTrip(testdata::Make(kind, 2000000, 11), szdd::CompressOptions());
    }
}

// The input is searched in segments, some of them by other threads: the file must not depend
// on how many.
TEST(SzddRoundTrip, OutputIndependentOfThreads) {
    const Bytes input = testdata::Make(Kind::fewSymbols, 700000, 5);
    Bytes reference;
    szdd::CompressOptions options;
    options.threads = 1;
    ASSERT_EQ(szdd::Compress(input.data(), input.size(), reference, options), Status::ok);
    for (unsigned threads : {2u, 3u, 0u}) {
        options.threads = threads;
        Bytes file;
        ASSERT_EQ(szdd::Compress(input.data(), input.size(), file, options), Status::ok);
        EXPECT_TRUE(file == reference) << threads << " threads";
    }
}

TEST(SzddExpand, HeaderFaults) {
    const Bytes input = FromString("header faults header faults");
    const Bytes good = szdd::Compress(input.data(), input.size());
    Bytes out;
    for (std::size_t i = 0; i < 8; ++i) {
        Bytes bad = good;
        bad[i] ^= 0x20;
        EXPECT_EQ(szdd::Expand(bad.data(), bad.size(), out), Status::badSignature) << i;
    }
    for (std::size_t n = 0; n < szdd::kHeaderSize; ++n)
        EXPECT_EQ(szdd::Expand(good.data(), n, out), Status::badSignature) << n;
    Bytes bad = good;
    bad[8] = 'B';
    EXPECT_EQ(szdd::Expand(bad.data(), bad.size(), out), Status::badMode);
    EXPECT_TRUE(out.empty());
}

TEST(SzddExpand, WrongExpandedSize) {
    const Bytes input = testdata::Make(Kind::periodic, 5000, 3);
    const Bytes good = szdd::Compress(input.data(), input.size());
    struct Case {
        std::uint32_t size;
        Status expected;
    } cases[] = {
        {5001, Status::tooShort}, {4999, Status::tooLong},        {0, Status::tooLong},
        {1, Status::tooLong},     {0xFFFFFFFF, Status::tooShort}, // must not try to allocate 4 GiB
                                                                  // first
    };
    for (const Case& c : cases) {
        Bytes file = good;
        for (int i = 0; i < 4; ++i)
            file[10 + i] = std::uint8_t(c.size >> (8 * i));
        Bytes out;
        EXPECT_EQ(szdd::Expand(file.data(), file.size(), out), c.expected) << c.size;
        EXPECT_TRUE(IsPrefix(out, input)) << c.size;
        EXPECT_LE(out.capacity(), 9 * file.size()) << c.size;
    }
}

TEST(SzddExpand, LimitOnExpandedSize) {
    const Bytes input(1000, 'z');
    const Bytes file = szdd::Compress(input.data(), input.size());
    Bytes out;
    EXPECT_EQ(szdd::Expand(file.data(), file.size(), out, 999), Status::tooLarge);
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(szdd::Expand(file.data(), file.size(), out, 1000), Status::ok);
}

TEST(SzddExpand, BytesAfterTheLastItem) {
    const Bytes input = FromString("nothing may follow the last item");
    const Bytes good = szdd::Compress(input.data(), input.size());
    const Bytes tails[] = {{0x00}, {0xFF}, {0x01, 'x'}, {0x00, 0x00, 0x00}};
    for (const Bytes& tail : tails) {
        Bytes file = good;
        file.insert(file.end(), tail.begin(), tail.end());
        Bytes out;
        EXPECT_EQ(szdd::Expand(file.data(), file.size(), out), Status::tooLong) << tail.size();
        EXPECT_EQ(out, input);
    }
}

// Every cut of a valid file fails, as a truncated item or a stream that ends too soon, and
// what was decoded before the cut is right.
TEST(SzddExpand, EveryTruncation) {
    for (Kind kind : {Kind::periodic, Kind::fewSymbols}) {
        const Bytes input = testdata::Make(kind, 3000, 9);
        const Bytes file = szdd::Compress(input.data(), input.size());
        int truncated = 0, tooShort = 0;
        for (std::size_t cut = 0; cut < file.size(); ++cut) {
            Bytes out;
            const Status status = szdd::Expand(file.data(), cut, out);
            if (cut < szdd::kHeaderSize) {
                EXPECT_EQ(status, Status::badSignature) << cut;
                continue;
            }
            ASSERT_TRUE(status == Status::truncated || status == Status::tooShort) << cut;
            truncated += status == Status::truncated;
            tooShort += status == Status::tooShort;
            ASSERT_TRUE(IsPrefix(out, input)) << cut;
        }
        EXPECT_GT(truncated, 0);
        EXPECT_GT(tooShort, 0);
    }
}

// Any stream, however damaged, expands within bounds; whatever it yields agrees with the
// reference expander, byte for byte.
TEST(SzddExpand, CorruptedBytesAgreeWithReference) {
    const Bytes input = testdata::Make(Kind::periodic, 1500, 4);
    const Bytes good = szdd::Compress(input.data(), input.size());
    int ok = 0, failed = 0;
    for (std::size_t i = szdd::kHeaderSize; i < good.size(); ++i)
        for (unsigned change : {0x01u, 0x10u, 0x80u, 0xFFu}) {
            Bytes file = good;
            file[i] = std::uint8_t(file[i] ^ change);
            Bytes out;
            const Status status = szdd::Expand(file.data(), file.size(), out);
            const Bytes reference = testdata::RingExpand(file);
            if (status == Status::ok) {
                ++ok;
                EXPECT_EQ(out, reference) << i;
            } else {
                ++failed;
                EXPECT_TRUE(IsPrefix(out, reference)) << i;
            }
        }
    EXPECT_GT(ok, 0);
    EXPECT_GT(failed, 0);
}

TEST(SzddCompress, RefusesInputsBeyondTheSizeField) {
    const std::uint8_t byte = 0;
    Bytes out{1, 2, 3};
    // The size is checked before any byte is read.
    EXPECT_EQ(szdd::Compress(&byte, std::size_t(szdd::kMaxExpandedSize) + 1, out,
                             szdd::CompressOptions()),
              Status::tooLarge);
    EXPECT_TRUE(out.empty());
}

} // namespace
