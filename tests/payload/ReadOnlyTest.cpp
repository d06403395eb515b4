// Read-only files. Wine keeps the read-only attribute in the file's permission bits, which
// root's file-permission override ignores; these tests therefore run in a process (and Wine
// server) without that override (without-dac-override.sh), as Windows enforces the attribute
// for every user.
#include <gtest/gtest.h>

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

} // namespace
