// The built payload inside a Windows executable: the platform's resource loader finds it as
// RCDATA 129 in US English, the packer's own PE reader finds the same bytes in the file, and
// the platform's LZ32 expands every entry to the sample file it came from.
#include "PayloadLayout.h"
#include "PeResources.h"

#include <windows.h>
#include <lzexpand.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes ReadWholeFile(const std::string& path) {
    Bytes bytes;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    EXPECT_NE(f, nullptr) << path;
    if (!f)
        return bytes;
    std::uint8_t buffer[65536];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;)
        bytes.insert(bytes.end(), buffer, buffer + n);
    std::fclose(f);
    return bytes;
}

struct Payload {
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
};

Payload LoadPayload() {
    Payload p;
    HRSRC resource = FindResourceExA(nullptr, MAKEINTRESOURCEA(10), MAKEINTRESOURCEA(129),
                                     MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    EXPECT_NE(resource, nullptr);
    if (!resource)
        return p;
    HGLOBAL loaded = LoadResource(nullptr, resource);
    p.data = static_cast<const std::uint8_t*>(LockResource(loaded));
    p.size = SizeofResource(nullptr, resource);
    EXPECT_NE(p.data, nullptr);
    return p;
}

TEST(PayloadResource, PeReaderFindsWhatTheLoaderFinds) {
    const Payload payload = LoadPayload();
    ASSERT_NE(payload.data, nullptr);
    char self[MAX_PATH];
    ASSERT_GT(GetModuleFileNameA(nullptr, self, MAX_PATH), 0u);
    const Bytes image = ReadWholeFile(self);
    pe::Headers headers;
    ASSERT_EQ(pe::ReadHeaders(image.data(), image.size(), headers), pe::Error::none);
    EXPECT_EQ(headers.pe32Plus, sizeof(void*) == 8);
    pe::Resource found;
    ASSERT_EQ(pe::FindResourceData(image.data(), image.size(), headers, 10, 129, 1033, found),
              pe::Error::none);
    EXPECT_EQ(found.language, 1033u);
    ASSERT_EQ(found.size, payload.size);
    EXPECT_EQ(std::memcmp(image.data() + found.offset, payload.data, payload.size), 0);
}

Bytes ExpandWithLz32(const Bytes& file) {
    char dir[MAX_PATH], path[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    GetTempFileNameA(dir, "krz", 0, path);
    std::FILE* f = std::fopen(path, "wb");
    std::fwrite(file.data(), 1, file.size(), f);
    std::fclose(f);
    OFSTRUCT of = {};
    of.cBytes = sizeof of;
    const INT h = LZOpenFileA(path, &of, OF_READ | OF_SHARE_DENY_WRITE);
    Bytes out(2000000);
    const INT n = LZRead(h, reinterpret_cast<char*>(out.data()), INT(out.size()));
    LZClose(h);
    DeleteFileA(path);
    out.resize(n > 0 ? std::size_t(n) : 0);
    return out;
}

TEST(PayloadResource, Lz32ExpandsEveryEntryToItsSampleFile) {
    const Payload payload = LoadPayload();
    ASSERT_NE(payload.data, nullptr);
    payload::Cursor cursor(payload.data, payload.size);
    payload::Entry entry;
    int count = 0;
    while (cursor.Next(entry) == payload::Step::entry) {
        ASSERT_LT(count, payload::kFileCount);
        const Bytes expected =
            ReadWholeFile(std::string(KRZ_PAYLOAD_DIR "/") + payload::kFileList[count]);
        ASSERT_FALSE(expected.empty());
        EXPECT_TRUE(ExpandWithLz32(payload::CompleteFile(entry)) == expected)
            << payload::kFileList[count];
        ++count;
    }
    EXPECT_EQ(count, payload::kFileCount);
    // The end marker is the resource's last four bytes.
    EXPECT_EQ(cursor.Offset() + 4, payload.size);
}

} // namespace
