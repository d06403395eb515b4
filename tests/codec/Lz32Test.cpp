#include "Szdd.h"

#include <windows.h>
#include <lzexpand.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <random>

namespace {

// Writes a complete compressed file, expands it through the platform's LZ32 and returns the
// expanded bytes.
std::vector<std::uint8_t> ExpandWithLz32(const std::vector<std::uint8_t>& file) {
    char dir[MAX_PATH], path[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    GetTempFileNameA(dir, "krz", 0, path);
    FILE* f = std::fopen(path, "wb");
    std::fwrite(file.data(), 1, file.size(), f);
    std::fclose(f);
    OFSTRUCT of = {};
    INT h = LZOpenFileA(path, &of, OF_READ);
    std::vector<std::uint8_t> out(4 * 1024 * 1024);
    INT n = LZRead(h, reinterpret_cast<char*>(out.data()), INT(out.size()));
    LZClose(h);
    DeleteFileA(path);
    out.resize(n > 0 ? std::size_t(n) : 0);
    return out;
}

TEST(Lz32, ExpandsOurOutput) {
    std::mt19937 rng(7);
    std::vector<std::uint8_t> data(100000);
    for (auto& b : data)
        b = std::uint8_t(rng() % 5);
    auto packed = szdd::Compress(data.data(), data.size());
    EXPECT_EQ(ExpandWithLz32(packed), data);
}

} // namespace
