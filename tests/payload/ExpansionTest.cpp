// One entry at a time: the temporary file, LZ32, the target and its failures.
#include <gtest/gtest.h>

#include <functional>

#include "Expansion.h"
#include "InstallFiles.h"
#include "PayloadLayout.h"
#include "TestSupport.h"

namespace {

bool Expand(const ScratchFolder& folder, const Bytes& p) {
    return app::ExpandPayload(folder.Path(), p.data(), p.size());
}

void SetSize(Bytes& file, std::uint32_t size) {
    for (int i = 0; i < 4; ++i)
        file[10 + std::size_t(i)] = std::uint8_t(size >> (8 * i));
}

TEST(Expansion, SampleFilesExpandToTheirExactContents) {
    ScratchFolder folder;
    MessageLog log;
    // Larger files first: leftovers in the shared buffer must never reach a later file.
    EXPECT_TRUE(Expand(folder, PayloadOf(SampleFiles())));
    EXPECT_EQ(log.Boxes(), MessageLog::None());
    ExpectInstalled(folder.Path(), SampleFiles(), 4);
    EXPECT_EQ(ReadBytes(folder / "KRZ.exe").size(), 909312u);
    EXPECT_FALSE(Exists(folder / "krz.tmp"));
}

TEST(Expansion, ExactlyTwoMillionBytesFit) {
    ScratchFolder folder;
    MessageLog log;
    const Bytes big = Synthetic(payload::kExpansionBufferSize, 9);
    EXPECT_TRUE(Expand(folder, PayloadOf({big})));
    EXPECT_EQ(log.Boxes(), MessageLog::None());
    EXPECT_EQ(ReadBytes(folder / "KRZ.exe"), big);
}

struct CorruptCase {
    const char* what;
    std::function<Bytes()> file; // a complete compressed file
};

const CorruptCase kCorrupt[] = {
    {"expanded size 0", [] { return Compressed({}); }},
    {"header declares more than the stream holds",
     [] {
         Bytes f = Compressed(Synthetic(200, 5));
         SetSize(f, 300);
         return f;
     }},
    {"stream holds more than the header declares",
     [] {
         Bytes f = Compressed(Synthetic(200, 5));
         SetSize(f, 100);
         return f;
     }},
    // LZ32 would fill the buffer and report a full one, silently cutting the file.
    {"more than 2,000,000 bytes",
     [] { return Compressed(Synthetic(payload::kExpansionBufferSize + 1, 6)); }},
    {"not a compressed file",
     [] {
         Bytes f = Compressed(Synthetic(200, 5));
         f[4] = 0; // LZ32 would pass such a file through unexpanded
         return f;
     }},
    {"mode other than A",
     [] {
         Bytes f = Compressed(Synthetic(200, 5));
         f[8] = 'B';
         return f;
     }},
};

TEST(Expansion, CorruptEntriesNeverReachTheirTargets) {
    for (const CorruptCase& c : kCorrupt) {
        SCOPED_TRACE(c.what);
        ScratchFolder folder;
        MessageLog log;
        const Bytes bad = c.file();
        const Bytes p = payload::Build({Compressed(SmallFiles()[0]), bad});
        EXPECT_FALSE(Expand(folder, p));
        EXPECT_EQ(log.Boxes(), MessageLog::One("Error in installation"));
        ExpectInstalled(folder.Path(), SmallFiles(), 1);
        EXPECT_FALSE(Exists(folder / "krz.tmp")); // it never outlives its entry
    }
}

TEST(Expansion, InstallingAgainReplacesAndRestampsEveryFile) {
    ScratchFolder folder;
    const FILETIME old = {0x12345678, 0x01D00000}; // in 2014
    for (int i = 0; i < payload::kFileCount; ++i) {
        const CString target = folder / payload::kFileList[i];
        WriteBytes(target, Bytes(20000, std::uint8_t(0xA0 + i)));
        const HANDLE file = CreateFileA(target, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
        SetFileTime(file, &old, &old, &old);
        CloseHandle(file);
    }
    WriteBytes(folder / "krz.tmp", Bytes(50, 1)); // left by a failed run
    MessageLog log;
    EXPECT_TRUE(Expand(folder, PayloadOf(SmallFiles())));
    EXPECT_EQ(log.Boxes(), MessageLog::None());
    for (int i = 0; i < payload::kFileCount; ++i) {
        const CString target = folder / payload::kFileList[i];
        EXPECT_EQ(Ticks(FileTimeOf(target, 0)), ExpectedStampTicks()) << target;
        EXPECT_EQ(Ticks(FileTimeOf(target, 2)), ExpectedStampTicks()) << target;
    }
    ExpectInstalled(folder.Path(), SmallFiles(), 4);
    EXPECT_FALSE(Exists(folder / "krz.tmp"));
}

TEST(Expansion, TargetHeldOpenWithoutSharingStopsAtThatEntry) {
    ScratchFolder folder;
    const Bytes running(777, 0x55);
    WriteBytes(folder / "KRZ.hlp", running);
    const HANDLE held = CreateFileA(folder / "KRZ.hlp", GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    MessageLog log;
    const Bytes p = PayloadOf(SmallFiles());
    EXPECT_FALSE(Expand(folder, p));
    CloseHandle(held);
    EXPECT_EQ(log.Boxes(), MessageLog::One("Error in installing"));
    EXPECT_EQ(ReadBytes(folder / "KRZ.exe"), SmallFiles()[0]);
    EXPECT_EQ(ReadBytes(folder / "KRZ.hlp"), running);
    EXPECT_FALSE(Exists(folder / "KRZ.cnt"));
    EXPECT_FALSE(Exists(folder / "krz.tmp"));
}

TEST(Expansion, DeepestAcceptedFolderInstalls) {
    ScratchFolder scratch;
    CString folder = scratch.Path();
    while (folder.GetLength() < 239) {
        folder += "\\";
        folder += std::string(std::size_t(std::min(60, 239 - folder.GetLength())), 'd').c_str();
        ASSERT_TRUE(CreateDirectoryA(folder, nullptr)) << folder.GetString();
    }
    ASSERT_EQ(folder.GetLength(), 239);
    ASSERT_GT((folder + "\\krz.tmp").GetLength(), 127) << "beyond what OFSTRUCT holds";
    MessageLog log;
    const Bytes p = PayloadOf(SmallFiles());
    EXPECT_TRUE(app::ExpandPayload(folder, p.data(), p.size()));
    EXPECT_EQ(log.Boxes(), MessageLog::None());
    ExpectInstalled(folder, SmallFiles(), 4);
}

} // namespace
