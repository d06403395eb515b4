// The installer's version resource, linked into this test executable, read back through the
// platform's version functions.
#include <windows.h>
#include <winver.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<char> OwnVersionBlock() {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    DWORD handle = 0;
    std::vector<char> block(GetFileVersionInfoSizeA(path, &handle));
    if (block.empty() || !GetFileVersionInfoA(path, handle, DWORD(block.size()), block.data()))
        block.clear();
    return block;
}

TEST(VersionResource, FixedPart) {
    std::vector<char> block = OwnVersionBlock();
    ASSERT_FALSE(block.empty());
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&info), &length));
    ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
    EXPECT_EQ(info->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(info->dwFileVersionMS, 0x00040004u);
    EXPECT_EQ(info->dwFileVersionLS, 0x00000008u);
    EXPECT_EQ(info->dwProductVersionMS, 0x00040004u);
    EXPECT_EQ(info->dwProductVersionLS, 0x00000000u);
    EXPECT_EQ(info->dwFileOS, DWORD(VOS__WINDOWS32));
    EXPECT_EQ(info->dwFileType, DWORD(VFT_APP));
    EXPECT_EQ(info->dwFileFlags & info->dwFileFlagsMask, 0u);

    WORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\VarFileInfo\\Translation",
                               reinterpret_cast<void**>(&translation), &length));
    ASSERT_EQ(length, 4u); // one pair
    EXPECT_EQ(translation[0], 0x0409);
    EXPECT_EQ(translation[1], 0x04b0);
}

TEST(VersionResource, EveryStringReadsBackExactly) {
    struct Case {
        const char* key;
        const char* value;
    };
    const Case cases[] = {
        {"Comments", "Pentium - Windows 95, 98, NT4.0, 2000 or  XP"},
        {"CompanyName", "Tessarin Software"},
        {"FileDescription", "Self extracting compressed file of Quorbelix"},
        {"FileVersion", "4, 4, 0, 8"},
        {"InternalName", "Setup"},
        {"LegalTrademarks", ""},
        {"OriginalFilename", "krzsetup.exe"},
        {"PrivateBuild", ""},
        {"ProductName", "Setup of Quorbelix"},
        {"ProductVersion", "4, 4, 0, 0"},
        {"SpecialBuild", ""},
    };
    std::vector<char> block = OwnVersionBlock();
    ASSERT_FALSE(block.empty());
    for (const Case& c : cases) {
        const std::string sub = std::string("\\StringFileInfo\\040904B0\\") + c.key;
        char* value = nullptr;
        UINT length = 0;
        ASSERT_TRUE(
            VerQueryValueA(block.data(), sub.c_str(), reinterpret_cast<void**>(&value), &length))
            << c.key;
        ASSERT_NE(value, nullptr) << c.key;
        EXPECT_STREQ(value, c.value) << c.key;
    }
}

} // namespace
