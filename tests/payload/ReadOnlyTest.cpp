// Read-only files. Wine keeps the read-only attribute in the file's permission bits, which
// root's file-permission override ignores; these tests therefore run in a process (and Wine
// server) without that override (without-dac-override.sh), as Windows enforces the attribute
// for every user.
#include <gtest/gtest.h>

#include "CFile.h"
#include "Expansion.h"
#include "InstallFiles.h"
#include "PayloadLayout.h"
#include "TestSupport.h"

namespace {

void ExpectReadOnlyEnforced(const CString& path) {
    const HANDLE file =
        CreateFileA(path, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    const DWORD error = GetLastError();
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    ASSERT_EQ(file, INVALID_HANDLE_VALUE)
        << "a read-only file opened for writing: run without CAP_DAC_OVERRIDE";
    ASSERT_EQ(error, DWORD(ERROR_ACCESS_DENIED));
}

TEST(ReadOnly, ReadOnlyTemporaryFileIsAFileError) {
    ScratchFolder folder;
    const CString temp = folder / "krz.tmp";
    const Bytes stale(123, 7);
    WriteBytes(temp, stale);
    ASSERT_TRUE(SetFileAttributesA(temp, FILE_ATTRIBUTE_READONLY));
    ExpectReadOnlyEnforced(temp);

    MessageLog log;
    const Bytes p = PayloadOf(SmallFiles());
    EXPECT_FALSE(app::ExpandPayload(folder.Path(), p.data(), p.size()));
    EXPECT_EQ(log.Boxes(), MessageLog::One("File Error"));
    EXPECT_EQ(ReadBytes(temp), stale);
    EXPECT_TRUE(GetFileAttributesA(temp) & FILE_ATTRIBUTE_READONLY);
    for (const char* name : payload::kFileList)
        EXPECT_FALSE(Exists(folder / name)) << name;
}

struct StatusCase {
    const char* what;
    DWORD before;   // the file's attributes
    BYTE requested; // the status's
    bool succeeds;
};

const StatusCase kStatus[] = {
    // The times need a handle with write access: a read-only file is made writable first,
    // and a file becomes read-only only after its times are set.
    {"read-only file made writable", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE,
     FILE_ATTRIBUTE_ARCHIVE, true},
    {"writable file made read-only", FILE_ATTRIBUTE_ARCHIVE,
     FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE, true},
    {"read-only file staying read-only", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE,
     FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE, false},
};

TEST(ReadOnly, SetStatusOrdersAttributesAroundTheTimes) {
    const std::time_t stamp = 1105970400; // 17 January 2005, 14:00 UTC
    for (const StatusCase& c : kStatus) {
        SCOPED_TRACE(c.what);
        ScratchFolder folder;
        const CString path = folder / "file";
        WriteBytes(path, Bytes(10, 1));
        ASSERT_TRUE(SetFileAttributesA(path, c.before));
        if (c.before & FILE_ATTRIBUTE_READONLY)
            ExpectReadOnlyEnforced(path);
        const ULONGLONG writtenBefore = Ticks(FileTimeOf(path, 2));

        CFileStatus status;
        status.m_ctime = status.m_mtime = status.m_atime = stamp;
        status.m_attribute = c.requested;
        bool thrown = false;
        try {
            CFile::SetStatus(path, status);
        } catch (const CFileException& e) {
            thrown = true;
            EXPECT_EQ(e.m_lOsError, LONG(ERROR_ACCESS_DENIED));
        }
        EXPECT_EQ(thrown, !c.succeeds);
        EXPECT_EQ(GetFileAttributesA(path), c.succeeds ? DWORD(c.requested) : c.before);

        SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
        CFile file;
        ASSERT_TRUE(file.Open(path, CFile::modeRead | CFile::shareDenyNone));
        CFileStatus read;
        ASSERT_TRUE(file.GetStatus(read));
        if (c.succeeds)
            EXPECT_EQ(read.m_mtime, stamp);
        else
            EXPECT_EQ(Ticks(FileTimeOf(path, 2)), writtenBefore);
    }
}

} // namespace
