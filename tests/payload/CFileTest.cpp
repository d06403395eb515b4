#include <gtest/gtest.h>

#include "CFile.h"
#include "MachineState.h"
#include "TestSupport.h"

namespace {

// Wine (8.0) keeps no creation time of its own on Linux: it reports the last-write time.
using ui::RunningUnderWine;

TEST(CFile, CreateModeIsExclusiveWriteOnlyTruncatingAndInheritable) {
    ScratchFolder folder;
    const CString path = folder / "file";
    WriteBytes(path, Bytes(100, 1));
    CFile file;
    ASSERT_TRUE(file.Open(path, CFile::modeCreate | CFile::shareExclusive | CFile::modeWrite));
    EXPECT_EQ(file.GetFilePath(), path);
    EXPECT_EQ(GetFileSize(HANDLE(file), nullptr), 0u);
    DWORD flags = 0;
    ASSERT_TRUE(GetHandleInformation(HANDLE(file), &flags));
    EXPECT_TRUE(flags & HANDLE_FLAG_INHERIT);
    char c;
    DWORD n;
    EXPECT_FALSE(ReadFile(HANDLE(file), &c, 1, &n, nullptr)) << "write access only";

    const HANDLE second = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_EQ(second, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_SHARING_VIOLATION));

    file.Write("abc", 3);
    file.Close();
    EXPECT_EQ(HANDLE(file), INVALID_HANDLE_VALUE);
    EXPECT_EQ(ReadBytes(path), (Bytes{'a', 'b', 'c'}));
}

TEST(CFile, FailuresCarryTheirCauseAndTheOsError) {
    ScratchFolder folder;
    CFile file;
    CFileException error;
    const CString missing = folder / "missing\\file";
    EXPECT_FALSE(file.Open(missing, CFile::modeCreate | CFile::modeWrite, &error));
    EXPECT_EQ(error.m_cause, CFileException::genericException);
    EXPECT_EQ(error.m_lOsError, LONG(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(error.m_strFileName, missing);

    const CString path = folder / "file";
    WriteBytes(path, Bytes(5, 1));
    ASSERT_TRUE(file.Open(path, CFile::modeRead | CFile::shareDenyNone));
    try {
        SetLastError(0xBAD);
        file.Write("x", 1);
        ADD_FAILURE() << "a write on a read-only handle succeeded";
    } catch (const CFileException& e) {
        EXPECT_EQ(e.m_cause, CFileException::genericException);
        EXPECT_EQ(e.m_lOsError, LONG(ERROR_ACCESS_DENIED));
        EXPECT_EQ(e.m_strFileName, path);
    }
}

TEST(CFile, StatusTimesRoundTripThroughLocalTime) {
    ScratchFolder folder;
    const CString path = folder / "file";
    WriteBytes(path, Bytes(4321, 1));
    CFileStatus status;
    status.m_ctime = 1105970400; // January 2005
    status.m_mtime = 1593604800; // July 2020: daylight-saving time where there is one
    status.m_atime = 946684799;  // the last second of 1999 UTC
    {
        CFile file;
        ASSERT_TRUE(file.Open(path, CFile::modeWrite | CFile::shareDenyNone));
        CFileStatus current;
        ASSERT_TRUE(file.GetStatus(current));
        status.m_attribute = current.m_attribute; // unchanged
        file.SetStatus(status);
    }

    CFile file;
    ASSERT_TRUE(file.Open(path, CFile::modeRead | CFile::shareDenyNone));
    CFileStatus read;
    ASSERT_TRUE(file.GetStatus(read));
    EXPECT_EQ(read.m_ctime, RunningUnderWine() ? status.m_mtime : status.m_ctime);
    EXPECT_EQ(read.m_mtime, status.m_mtime);
    EXPECT_EQ(read.m_atime, status.m_atime);
    EXPECT_EQ(read.m_size, 4321u);
    EXPECT_EQ(read.m_attribute, FILE_ATTRIBUTE_ARCHIVE);
}

// The attributes of a status are written through the handle, also to a file that has become
// read-only while held. (The installer writes back the low eight bits of what it read, which
// change something only where the file has attributes above 0xFF; Wine 8 reports none of
// those, and drops them when they are set.)
TEST(CFile, StatusWritesAttributesThatDiffer) {
    ScratchFolder folder;
    const CString path = folder / "file";
    WriteBytes(path, Bytes(10, 1));
    CFile file;
    ASSERT_TRUE(file.Open(path, CFile::modeWrite | CFile::shareDenyNone));
    CFileStatus status;
    status.m_mtime = 1105970400;
    for (const DWORD attributes :
         {DWORD(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE), DWORD(FILE_ATTRIBUTE_ARCHIVE)}) {
        SCOPED_TRACE(attributes);
        status.m_attribute = BYTE(attributes);
        file.SetStatus(status);
        EXPECT_EQ(GetFileAttributesA(path), attributes);
        CFileStatus read;
        ASSERT_TRUE(file.GetStatus(read));
        EXPECT_EQ(read.m_attribute, BYTE(attributes));
        EXPECT_EQ(read.m_mtime, status.m_mtime);
        status.m_mtime += 3600;
    }
}

} // namespace
