#include "Shortcut.h"

#include <objbase.h>

#include "MachineState.h"
#include "ShortcutReader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

bool FileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// A run folder holding the target, a Desktop and a Programs folder, all below the temporary
// folder; removed afterwards.
class ShortcutTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        root_ = std::string(temp) + "krz-shortcut";
        std::filesystem::remove_all(root_);
        for (const char* sub : {"", "\\Tools", "\\Desktop", "\\Programs"})
            ASSERT_TRUE(CreateDirectoryA((root_ + sub).c_str(), nullptr)) << sub;
        target_ = root_ + "\\Tools\\KRZ.exe";
        HANDLE file =
            CreateFileA(target_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        CloseHandle(file);
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
        CoUninitialize();
    }

    std::string root_, target_;
};

TEST_F(ShortcutTest, DesktopAndProgramsLinksCarryTargetAndDescriptionOnly) {
    const std::string desktop = root_ + "\\Desktop\\KRZ.lnk";
    const std::string programs = root_ + "\\Programs\\KRZ.lnk";
    EXPECT_EQ(shell::CreateShortcut(target_.c_str(), desktop.c_str(), "Quorbelix"), S_OK);
    EXPECT_EQ(shell::CreateShortcut(target_.c_str(), programs.c_str(), "Quorbelix"), S_OK);
    for (const std::string& file : {desktop, programs}) {
        SCOPED_TRACE(file);
        const std::optional<ui::Shortcut> link = ui::ReadShortcut(file);
        ASSERT_TRUE(link);
        EXPECT_EQ(link->path, target_);
        EXPECT_EQ(link->description, "Quorbelix");
        EXPECT_EQ(link->workingDirectory, "");
        EXPECT_EQ(link->arguments, "");
        EXPECT_EQ(link->iconLocation, "");
        EXPECT_EQ(link->iconIndex, 0);
        EXPECT_EQ(link->hotkey, 0);
        EXPECT_EQ(link->showCommand, SW_SHOWNORMAL);
    }
}

TEST_F(ShortcutTest, AMissingFolderWritesNothingAndTheNextLinkIsWritten) {
    const std::string missing = root_ + "\\No Desktop\\KRZ.lnk";
    const std::string programs = root_ + "\\Programs\\KRZ.lnk";
    EXPECT_TRUE(FAILED(shell::CreateShortcut(target_.c_str(), missing.c_str(), "Quorbelix")));
    EXPECT_FALSE(FileExists(root_ + "\\No Desktop"));
    EXPECT_EQ(shell::CreateShortcut(target_.c_str(), programs.c_str(), "Quorbelix"), S_OK);
    EXPECT_EQ(ui::ReadShortcut(programs).value_or(ui::Shortcut()).path, target_);
}

// The link path is converted into 260 units with its NUL: 259 characters fit, 260 are
// refused before anything is saved (neither the path nor a shortened one is written).
TEST_F(ShortcutTest, LinkPathLimit) {
    const std::string folder = root_ + "\\" + std::string(150, 'f');
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    const auto linkOfLength = [&](std::size_t length) {
        const std::size_t name = length - folder.size() - 1 - 4;
        return folder + "\\" + std::string(name, 'n') + ".lnk";
    };
    const std::string fits = linkOfLength(259);
    ASSERT_EQ(fits.size(), 259u);
    EXPECT_EQ(shell::CreateShortcut(target_.c_str(), fits.c_str(), "Quorbelix"), S_OK);
    EXPECT_TRUE(FileExists(fits));
    EXPECT_EQ(ui::ReadShortcut(fits).value_or(ui::Shortcut()).path, target_);
    ASSERT_TRUE(DeleteFileA(fits.c_str()));

    for (std::size_t length : {260u, 261u, 400u}) {
        SCOPED_TRACE(length);
        const std::string tooLong = linkOfLength(length);
        SetLastError(0xdeadbeef);
        EXPECT_EQ(shell::CreateShortcut(target_.c_str(), tooLong.c_str(), "Quorbelix"),
                  HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE));
        EXPECT_FALSE(FileExists(tooLong));
        EXPECT_FALSE(FileExists(tooLong.substr(0, 259)));
    }
    EXPECT_TRUE(std::filesystem::is_empty(folder));
}

} // namespace
