// Our files through the platform's own expansion library, LZ32: the hand-written streams
// (ring start, initial spaces, overlapping matches, wrapping), the encoder's output on edge
// sizes and kinds of input, and the sample application files.
#include "Szdd.h"
#include "TestData.h"

#include <windows.h>
#include <lzexpand.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <iterator>
#include <string>

namespace {

using testdata::Bytes;
using testdata::Kind;

// Writes a complete compressed file, opens it the way the installer does and expands it
// with one LZRead into a buffer of `capacity` bytes. Returns the count LZRead gave.
INT ExpandWithLz32(const Bytes& file, Bytes& out, std::size_t capacity = 4000000) {
    char dir[MAX_PATH], path[MAX_PATH];
    EXPECT_GT(GetTempPathA(MAX_PATH, dir), 0u);
    EXPECT_NE(GetTempFileNameA(dir, "krz", 0, path), 0u);
    std::FILE* f = std::fopen(path, "wb");
    EXPECT_NE(f, nullptr);
    if (!f)
        return -1;
    EXPECT_EQ(std::fwrite(file.data(), 1, file.size(), f), file.size());
    std::fclose(f);
    OFSTRUCT of = {};
    of.cBytes = sizeof of;
    const INT h = LZOpenFileA(path, &of, OF_READ | OF_SHARE_DENY_WRITE);
    EXPECT_GE(h, 0);
    out.assign(capacity, 0xA5); // a sentinel, to see what LZRead wrote
    const INT n = LZRead(h, reinterpret_cast<char*>(out.data()), INT(out.size()));
    LZClose(h);
    DeleteFileA(path);
    out.resize(n > 0 ? std::size_t(n) : 0);
    return n;
}

Bytes Compressed(const Bytes& input, bool spaces) {
    szdd::CompressOptions options;
    options.useInitialSpaces = spaces;
    Bytes file;
    EXPECT_EQ(szdd::Compress(input.data(), input.size(), file, options), szdd::Status::ok);
    return file;
}

TEST(Lz32, ExpandsHandWrittenStreams) {
    for (const testdata::Golden& g : testdata::kGoldens) {
        const Bytes file = testdata::FileWithStream(g.stream, std::uint32_t(g.expanded.size()));
        Bytes out;
        EXPECT_EQ(ExpandWithLz32(file, out), INT(g.expanded.size())) << g.name;
        EXPECT_EQ(out, testdata::FromString(g.expanded)) << g.name;
    }
}

TEST(Lz32, ExpandsOurOutputAtEdgeSizes) {
    const std::size_t sizes[] = {1, 2, 3, 15, 16, 17, 18, 19, 4095, 4096, 4097, 100000};
    for (Kind kind : {Kind::random, Kind::fewSymbols, Kind::runs, Kind::periodic})
        for (std::size_t n : sizes)
            for (bool spaces : {true, false}) {
                const Bytes input = testdata::Make(kind, n, unsigned(n) + 17);
                Bytes out;
                EXPECT_EQ(ExpandWithLz32(Compressed(input, spaces), out), INT(n));
                EXPECT_TRUE(out == input)
                    << testdata::KindName(kind) << " size " << n << " spaces " << spaces;
            }
}

// An empty file expands to nothing, which LZRead reports as a count of 0.
TEST(Lz32, EmptyInput) {
    Bytes out;
    EXPECT_EQ(ExpandWithLz32(Compressed(Bytes(), true), out), 0);
}

// The largest file the installer takes, read with the installer's exact request.
TEST(Lz32, TwoMillionBytesWithTheInstallersRequest) {
    const Bytes input = testdata::Make(Kind::structured, 2000000, 3);
    Bytes out;
    EXPECT_EQ(ExpandWithLz32(Compressed(input, true), out, 2000000), 2000000);
    EXPECT_TRUE(out == input);
}

TEST(Lz32, ExpandsSampleFiles) {
    for (const char* name : {"KRZ.exe", "KRZ.hlp", "KRZ.cnt", "Uninstall.exe"}) {
        std::FILE* f = std::fopen((std::string(KRZ_SAMPLE_DIR "/") + name).c_str(), "rb");
        ASSERT_NE(f, nullptr) << name;
        Bytes input;
        std::uint8_t buffer[65536];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;)
            input.insert(input.end(), buffer, buffer + n);
        std::fclose(f);
        ASSERT_FALSE(input.empty()) << name;
        Bytes out;
        EXPECT_EQ(ExpandWithLz32(Compressed(input, true), out, 2000000), INT(input.size()));
        EXPECT_TRUE(out == input) << name;
    }
}

} // namespace
