// The fixed time stamp, checked against the offset of the local time in force now. The test
// runs under several TZ settings; for those named below the expected file time is fixed.
#include <gtest/gtest.h>

#include <cstring>

#include "Expansion.h"
#include "InstallFiles.h"
#include "TestSupport.h"

namespace {

struct Golden {
    const char* zone;
    ULONGLONG ticks; // 17 January 2005, 14:00:00 in that zone, as UTC file time
};

const Golden kGolden[] = {
    {"UTC", 127504440000000000ull},   // 14:00 UTC
    {"JST-9", 127504116000000000ull}, // 05:00 UTC
};

TEST(TimeStamp, FilesShowTheFixedLocalTimeAndKeepTheirAccessTimeInWholeSeconds) {
    ScratchFolder folder;
    MessageLog log;
    const Bytes p = PayloadOf(SmallFiles());
    FILETIME before, after;
    GetSystemTimeAsFileTime(&before);
    ASSERT_TRUE(app::ExpandPayload(folder.Path(), p.data(), p.size()));
    GetSystemTimeAsFileTime(&after);

    char zone[64] = "";
    GetEnvironmentVariableA("TZ", zone, sizeof zone);
    const Golden* golden = nullptr;
    for (const Golden& g : kGolden)
        if (std::strcmp(zone, g.zone) == 0)
            golden = &g;
    if (GetEnvironmentVariableA("KRZ_GOLDEN_ZONE", nullptr, 0)) {
        ASSERT_NE(golden, nullptr) << "TZ=" << zone << " did not reach the program";
    }

    for (const char* name : {"KRZ.exe", "KRZ.hlp", "KRZ.cnt", "Uninstall.exe"}) {
        SCOPED_TRACE(name);
        const CString target = folder / name;
        const ULONGLONG accessed = Ticks(FileTimeOf(target, 1));
        EXPECT_EQ(accessed % 10000000, 0u);
        EXPECT_GE(accessed, Ticks(before) - Ticks(before) % 10000000);
        EXPECT_LE(accessed, Ticks(after));

        // Wine reports the last-write time as the creation time; Windows keeps both.
        const FILETIME created = FileTimeOf(target, 0);
        EXPECT_EQ(Ticks(created), ExpectedStampTicks());
        EXPECT_EQ(Ticks(FileTimeOf(target, 2)), ExpectedStampTicks());
        if (golden) {
            EXPECT_EQ(Ticks(created), golden->ticks);
        }

        FILETIME local;
        SYSTEMTIME shown;
        ASSERT_TRUE(FileTimeToLocalFileTime(&created, &local));
        ASSERT_TRUE(FileTimeToSystemTime(&local, &shown));
        EXPECT_EQ(shown.wYear * 10000 + shown.wMonth * 100 + shown.wDay, 20050117);
        EXPECT_EQ(shown.wHour * 3600 + shown.wMinute * 60 + shown.wSecond, 14 * 3600);
        EXPECT_EQ(shown.wMilliseconds, 0);

        // Nothing but the times was written: a fresh file's attributes.
        EXPECT_EQ(GetFileAttributesA(target), DWORD(FILE_ATTRIBUTE_ARCHIVE));
    }
}

} // namespace
