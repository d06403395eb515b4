#include "UiFixture.h"

namespace {

TEST(MachineState, WindowsVersionPerProgramAppliesToTheNextStart) {
    struct Case {
        const char* version;
        const char* shown;
    };
    for (const Case& c :
         {Case{"win98", "Platform 1"}, Case{"win31", "Platform 0"}, Case{"winxp", "Platform 2"}}) {
        SCOPED_TRACE(c.version);
        ui::ScopedWindowsVersion version(KRZ_UI_FIXTURE, c.version);
        ui::Process app(FixturePath());
        EXPECT_EQ(app.WaitForDialog("UI Fixture").Item(IDC_PLATFORM).Text(), c.shown);
    }
    EXPECT_FALSE(ui::ReadRegistryString(
        HKEY_CURRENT_USER, std::string("Software\\Wine\\AppDefaults\\") + KRZ_UI_FIXTURE,
        "Version"))
        << "the setting is removed afterwards";
}

TEST(MachineState, DrivesAreDefinedWithTheirTypeAtOnce) {
    ui::ScratchFolder folder;
    const std::string host = ui::HostPath(folder.Path());
    for (const UINT type : {UINT(DRIVE_REMOVABLE), UINT(DRIVE_CDROM), UINT(DRIVE_FIXED)}) {
        SCOPED_TRACE(type);
        {
            ui::ScopedWineDrive drive('R', host, type);
            EXPECT_EQ(GetDriveTypeA("R:\\"), type);
            EXPECT_TRUE(GetLogicalDrives() & (1u << ('R' - 'A')));
            const std::optional<ui::WineDrive> known = ui::QueryWineDrive('R');
            ASSERT_TRUE(known);
            EXPECT_EQ(known->type, type);
            EXPECT_EQ(known->hostFolder, host);
        }
        EXPECT_EQ(GetDriveTypeA("R:\\"), UINT(DRIVE_NO_ROOT_DIR));
        // Wine 8 differs from Windows here: GetLogicalDrives keeps listing a removed letter
        // until wineserver restarts, so it is not asked after the removal.
    }
}

TEST(MachineState, ADriveLetterReachesItsHostFolder) {
    ui::ScratchFolder folder;
    ui::ScopedWineDrive drive('S', ui::HostPath(folder.Path()), DRIVE_FIXED);
    ui::CreateFolders("S:\\a\\b");
    ui::WriteFileBytes("S:\\a\\b\\file.txt", "abc");
    EXPECT_EQ(ui::ReadFileBytes(folder / "a\\b\\file.txt"), "abc");
}

TEST(MachineState, ARemovableDriveWithoutItsFolderHasNoMedium) {
    UINT mode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    {
        ui::ScopedWineDrive floppy('B', "/nonexistent/krz-floppy", DRIVE_REMOVABLE);
        EXPECT_EQ(GetDriveTypeA("B:\\"), UINT(DRIVE_REMOVABLE));
        WIN32_FIND_DATAA entry;
        SetLastError(0xdeadbeef);
        EXPECT_EQ(FindFirstFileA("B:\\*.*", &entry), INVALID_HANDLE_VALUE);
        EXPECT_EQ(GetLastError(), DWORD(ERROR_PATH_NOT_FOUND));
        DWORD a, b, c, d;
        EXPECT_FALSE(GetDiskFreeSpaceA("B:\\", &a, &b, &c, &d));
    }
    SetErrorMode(mode);
}

TEST(MachineState, TheTinyDiskFillsUp) {
    ui::ScopedWineDrive drive('W', ui::TinyDiskHostFolder(), DRIVE_FIXED);
    ULARGE_INTEGER available, total, free;
    ASSERT_TRUE(GetDiskFreeSpaceExA("W:\\", &available, &total, &free));
    EXPECT_LE(total.QuadPart, 256u * 1024u);
    ui::ScratchFolder folder("W:\\");
    const std::string path = folder / "big.bin";
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    const std::string bytes(512 * 1024, 'x');
    DWORD written = 0;
    const BOOL ok = WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr);
    const DWORD error = GetLastError();
    CloseHandle(file);
    EXPECT_LT(written, bytes.size());
    if (!ok) { // Windows; Wine reports success with the shorter count
        EXPECT_EQ(error, DWORD(ERROR_DISK_FULL));
    }
}

TEST(MachineState, RegistryKeysAreWrittenReadAndDeletedWhole) {
    const std::string key = "Software\\KrzUiDriverTest";
    ui::DeleteRegistryKey(HKEY_CURRENT_USER, key);
    ui::DeleteRegistryKey(HKEY_CURRENT_USER, key); // missing is fine
    ui::SetRegistryString(HKEY_CURRENT_USER, key + "\\A\\B", "Path", "C:\\Some Folder");
    ui::SetRegistryString(HKEY_CURRENT_USER, key + "\\A\\B", "", "default");
    EXPECT_EQ(ui::ReadRegistryString(HKEY_CURRENT_USER, key + "\\A\\B", "Path"), "C:\\Some Folder");
    EXPECT_EQ(ui::ReadRegistryString(HKEY_CURRENT_USER, key + "\\A\\B", ""), "default");
    EXPECT_FALSE(ui::ReadRegistryString(HKEY_CURRENT_USER, key + "\\A\\B", "Other"));
    ui::DeleteRegistryKey(HKEY_CURRENT_USER, key);
    EXPECT_FALSE(ui::RegistryKeyExists(HKEY_CURRENT_USER, key));
}

TEST(MachineState, ScratchFoldersAreRemovedWithReadOnlyFilesInside) {
    std::string path;
    {
        ui::ScratchFolder folder;
        path = folder.Path();
        ui::CreateFolders(folder / "x\\y");
        ui::WriteFileBytes(folder / "x\\y\\locked.txt", "1");
        SetFileAttributesA((folder / "x\\y\\locked.txt").c_str(), FILE_ATTRIBUTE_READONLY);
        EXPECT_TRUE(ui::IsFolder(path));
    }
    EXPECT_FALSE(ui::PathExists(path));
}

} // namespace
