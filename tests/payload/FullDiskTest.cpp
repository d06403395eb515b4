// A full disk, for real: drive T: is a small tmpfs that the full-disk fixture mounts
// (tests/common/tmpfs-disk.sh). Wine's WriteFile stores what fits and reports success with
// fewer bytes; once nothing fits it fails with ERROR_DISK_FULL; when no inode is left, creating a
// file fails with ERROR_DISK_FULL.
#include <gtest/gtest.h>

#include "CFile.h"
#include "Expansion.h"
#include "InstallFiles.h"
#include "PayloadLayout.h"
#include "TestSupport.h"

namespace {

const char kDrive[] = "T:\\";
constexpr ULONGLONG kPage = 4096;

ULONGLONG FreeBytes() {
    ULARGE_INTEGER available, total;
    if (!GetDiskFreeSpaceExA(kDrive, &available, &total, nullptr))
        return 0;
    return available.QuadPart;
}

ULONGLONG Pages(ULONGLONG bytes) {
    return (bytes + kPage - 1) / kPage * kPage;
}

class FullDisk : public ::testing::Test {
protected:
    void SetUp() override {
        ULARGE_INTEGER available, total;
        ASSERT_TRUE(GetDiskFreeSpaceExA(kDrive, &available, &total, nullptr))
            << "drive T: is missing: the full-disk fixture (tmpfs-disk.sh, run as root) maps a "
               "small tmpfs there";
        ASSERT_LT(total.QuadPart, 64ull << 20) << "drive T: is not the small tmpfs";
    }
    void TearDown() override { DeleteFileA(m_filler); }

    // Fills the drive until exactly `bytes` (whole pages) stay free.
    void LeaveFree(ULONGLONG bytes) {
        ASSERT_EQ(bytes % kPage, 0u);
        const ULONGLONG now = FreeBytes();
        ASSERT_GE(now, bytes);
        const HANDLE file = CreateFileA(m_filler, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        const Bytes chunk(64 * kPage, 0xEE);
        for (ULONGLONG left = now - bytes; left > 0;) {
            const DWORD n = DWORD(std::min<ULONGLONG>(left, chunk.size()));
            DWORD written = 0;
            WriteFile(file, chunk.data(), n, &written, nullptr);
            ASSERT_EQ(written, n);
            left -= n;
        }
        CloseHandle(file);
        ASSERT_EQ(FreeBytes(), bytes);
    }
    void FreeAll() { DeleteFileA(m_filler); }

    ScratchFolder m_folder{kDrive};
    const CString m_filler = CString(kDrive) + "filler.bin";
    MessageLog m_log;
};

// One entry of a third of a megabyte: `temp` bytes in krz.tmp, `target` bytes installed.
const Bytes& Entry() {
    static const Bytes data = Synthetic(330000, 11, "MZ");
    return data;
}

TEST_F(FullDisk, AtTheTemporaryFile) {
    const Bytes p = PayloadOf({Entry()});
    const Bytes old(100, 0x0D);
    WriteBytes(m_folder / "KRZ.exe", old);
    LeaveFree(Pages(p.size() / 2));
    EXPECT_FALSE(app::ExpandPayload(m_folder.Path(), p.data(), p.size()));
    EXPECT_EQ(m_log.Boxes(), MessageLog::One("Disk full\r\nCorrect and retry"));
    EXPECT_FALSE(Exists(m_folder / "krz.tmp"));
    EXPECT_EQ(ReadBytes(m_folder / "KRZ.exe"), old);
}

// The new file is written beside the old one and replaces it only once complete.
TEST_F(FullDisk, AtTheTargetAndThenRetried) {
    const Bytes p = PayloadOf({Entry()});
    const Bytes old(100, 0x0D);
    WriteBytes(m_folder / "KRZ.exe", old);
    LeaveFree(Pages(p.size()) + Pages(Entry().size() / 2));
    EXPECT_FALSE(app::ExpandPayload(m_folder.Path(), p.data(), p.size()));
    EXPECT_EQ(m_log.Boxes(), MessageLog::One("Disk full\r\nCorrect and retry"));
    EXPECT_FALSE(Exists(m_folder / "krz.tmp"));
    EXPECT_EQ(ReadBytes(m_folder / "KRZ.exe"), old);

    FreeAll(); // space made, the same run again completes
    EXPECT_TRUE(app::ExpandPayload(m_folder.Path(), p.data(), p.size()));
    EXPECT_EQ(ReadBytes(m_folder / "KRZ.exe"), Entry());
}

TEST_F(FullDisk, NoFileCanBeCreated) {
    // Use up the drive's inodes.
    std::vector<CString> taken;
    for (int i = 0; i < 1000; ++i) {
        CString name;
        name.Format("%s\\inode%d", m_folder.Path().GetString(), i);
        const HANDLE file = CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            ASSERT_EQ(GetLastError(), DWORD(ERROR_DISK_FULL));
            break;
        }
        CloseHandle(file);
        taken.push_back(name);
    }
    ASSERT_LT(taken.size(), 1000u) << "the drive's inodes did not run out";

    const Bytes p = PayloadOf({Entry()});
    EXPECT_FALSE(app::ExpandPayload(m_folder.Path(), p.data(), p.size()));
    EXPECT_EQ(m_log.Boxes(), MessageLog::One("No space on disk"));
    EXPECT_FALSE(Exists(m_folder / "krz.tmp"));
    EXPECT_FALSE(Exists(m_folder / "KRZ.exe"));
    for (const CString& name : taken)
        DeleteFileA(name);
}

TEST_F(FullDisk, CFileWritesReportTheFullDisk) {
    LeaveFree(2 * kPage);
    CFile file;
    ASSERT_TRUE(
        file.Open(m_folder / "file", CFile::modeCreate | CFile::shareExclusive | CFile::modeWrite));
    const Bytes data(3 * kPage, 1);
    struct {
        UINT count;
        LONG osError;
    } const writes[] = {
        {UINT(data.size()), ERROR_DISK_FULL}, // stores two pages and reports success
        {1, ERROR_DISK_FULL},                 // nothing fits: WriteFile fails
    };
    for (const auto& w : writes) {
        try {
            file.Write(data.data(), w.count);
            ADD_FAILURE() << "a write of " << w.count << " bytes to a full disk succeeded";
        } catch (const CFileException& e) {
            EXPECT_EQ(e.m_cause, CFileException::diskFull);
            EXPECT_EQ(e.m_lOsError, w.osError);
        }
    }
}

} // namespace
