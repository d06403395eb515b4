#include "InstallerKeys.h"
#include "MachineState.h"
#include "Registry.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

using namespace keys;

// The registry tests work below HKEY_LOCAL_MACHINE.
std::optional<ui::RegistryValue> Read(const char* key, const char* name) {
    return ui::ReadRegistryValue(HKEY_LOCAL_MACHINE, key, name);
}
void Put(const char* key, const char* name, DWORD type, const std::string& bytes) {
    ui::SetRegistryValue(HKEY_LOCAL_MACHINE, key, name, type, bytes);
}
void DeleteTree(const char* key) {
    ui::DeleteRegistryKey(HKEY_LOCAL_MACHINE, key);
}
bool KeyExists(const char* key) {
    return ui::RegistryKeyExists(HKEY_LOCAL_MACHINE, key);
}
int ValueCount(const char* key) {
    return ui::RegistryValueCount(HKEY_LOCAL_MACHINE, key);
}
struct MovedAside : ui::ScopedRegistryKeyAside {
    explicit MovedAside(const char* key) : ScopedRegistryKeyAside(HKEY_LOCAL_MACHINE, key) {}
};

// A text as the registry should hold it: its bytes and one NUL, so that comparing data
// compares the byte count as well.
std::string Sz(const std::string& text) {
    return text + '\0';
}

// Each test starts without the two entries and leaves the registry as it found it.
class RegistryTest : public ::testing::Test {
protected:
    MovedAside appPathEntry_{kAppPathEntry};
    MovedAside uninstallEntry_{kUninstallEntry};
};

void ExpectText(const char* key, const char* name, const std::string& text) {
    const auto v = Read(key, name);
    ASSERT_TRUE(v) << key << " " << (*name ? name : "(default)");
    EXPECT_EQ(v->type, DWORD(REG_SZ)) << (*name ? name : "(default)");
    EXPECT_EQ(v->bytes, Sz(text)) << (*name ? name : "(default)");
}

TEST_F(RegistryTest, WritersOnACleanSystem) {
    struct Case {
        const char* folder;
        const char* uninstall;
    };
    const Case cases[] = {
        {"D:\\Tools", "D:\\Tools\\Uninstall.exe"},
        // A blank in the path is quoted, so that no prefix of it can be run in its place.
        {"C:\\Program Files\\Tessarin Software\\Quorbelix",
         "\"C:\\Program Files\\Tessarin Software\\Quorbelix\\Uninstall.exe\""},
        {"E:", "E:\\Uninstall.exe"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.folder);
        DeleteTree(kAppPathEntry);
        DeleteTree(kUninstallEntry);
        CString specialBuild;
        EXPECT_TRUE(registry::WriteAppPathEntry(c.folder, specialBuild));
        EXPECT_TRUE(registry::WriteUninstallEntry(c.folder));

        ExpectText(kAppPathEntry, "", std::string(c.folder) + "\\KRZ.EXE");
        ExpectText(kAppPathEntry, "Path", c.folder);
        ExpectText(kAppPathEntry, "SpecialBuild", "");
        EXPECT_EQ(ValueCount(kAppPathEntry), 3);
        ExpectText(kUninstallEntry, "DisplayName", "Quorbelix");
        ExpectText(kUninstallEntry, "UninstallString", c.uninstall);
        EXPECT_EQ(ValueCount(kUninstallEntry), 2);
    }
}

TEST_F(RegistryTest, ReinstallReplacesOurValuesAndKeepsOthers) {
    Put(kAppPathEntry, "", REG_SZ, Sz("X:\\Old\\KRZ.EXE"));
    Put(kAppPathEntry, "Path", REG_EXPAND_SZ, Sz("X:\\Old"));
    Put(kAppPathEntry, "SpecialBuild", REG_SZ, Sz("beta"));
    Put(kAppPathEntry, "Extra", REG_DWORD, std::string("\x07\0\0\0", 4));
    Put(kUninstallEntry, "DisplayName", REG_SZ, Sz("Old name"));
    Put(kUninstallEntry, "UninstallString", REG_SZ, Sz("X:\\Old\\Uninstall.exe /q"));
    Put(kUninstallEntry, "Publisher", REG_SZ, Sz("Someone"));

    CString specialBuild;
    registry::WriteAppPathEntry("D:\\Tools", specialBuild);
    registry::WriteUninstallEntry("D:\\Tools");

    ExpectText(kAppPathEntry, "", "D:\\Tools\\KRZ.EXE");
    ExpectText(kAppPathEntry, "Path", "D:\\Tools");
    ExpectText(kAppPathEntry, "SpecialBuild", "");
    const auto extra = Read(kAppPathEntry, "Extra");
    ASSERT_TRUE(extra);
    EXPECT_EQ(extra->type, DWORD(REG_DWORD));
    EXPECT_EQ(extra->bytes, std::string("\x07\0\0\0", 4));
    EXPECT_EQ(ValueCount(kAppPathEntry), 4);
    ExpectText(kUninstallEntry, "DisplayName", "Quorbelix");
    ExpectText(kUninstallEntry, "UninstallString", "D:\\Tools\\Uninstall.exe");
    ExpectText(kUninstallEntry, "Publisher", "Someone");
    EXPECT_EQ(ValueCount(kUninstallEntry), 3);
}

// Each writer opens its own parent chain and creates only its last key.
TEST_F(RegistryTest, AMissingParentKeySkipsOnlyThatEntry) {
    {
        MovedAside appPaths(kAppPaths);
        CString specialBuild;
        EXPECT_FALSE(registry::WriteAppPathEntry("D:\\Tools", specialBuild));
        EXPECT_TRUE(registry::WriteUninstallEntry("D:\\Tools"));
        EXPECT_FALSE(KeyExists(kAppPaths));
        ExpectText(kUninstallEntry, "UninstallString", "D:\\Tools\\Uninstall.exe");
        EXPECT_TRUE(registry::ReadPreviousInstallFolder().IsEmpty());
    }
    EXPECT_TRUE(KeyExists(kAppPaths)); // put back
    DeleteTree(kUninstallEntry);
    {
        MovedAside uninstall(kUninstall);
        CString specialBuild;
        EXPECT_TRUE(registry::WriteAppPathEntry("D:\\Tools", specialBuild));
        EXPECT_FALSE(registry::WriteUninstallEntry("D:\\Tools"));
        EXPECT_FALSE(KeyExists(kUninstall));
        ExpectText(kAppPathEntry, "Path", "D:\\Tools");
    }
    EXPECT_TRUE(KeyExists(kUninstall));
}

TEST_F(RegistryTest, ReaderReturnsWhatTheWriterRecorded) {
    CString specialBuild;
    registry::WriteAppPathEntry("C:\\Program Files\\Tessarin Software\\Quorbelix", specialBuild);
    EXPECT_EQ(registry::ReadPreviousInstallFolder(),
              "C:\\Program Files\\Tessarin Software\\Quorbelix");
}

TEST_F(RegistryTest, ReaderTakesAtMost260Characters) {
    struct Case {
        DWORD type;
        std::string data;
        std::string expected;
    };
    const std::string longest = "C:\\" + std::string(257, 'p'); // 260 characters
    const Case cases[] = {
        {REG_SZ, Sz(longest), longest},
        {REG_SZ, Sz(longest + "q"), ""},
        {REG_SZ, Sz(longest + std::string(200, 'q')), ""},
        {REG_SZ, Sz(""), ""},
        {REG_SZ, std::string(1, '\0'), ""},
        // The type is not looked at; the text ends at its first NUL or at the data's end.
        {REG_EXPAND_SZ, Sz("D:\\Tools"), "D:\\Tools"},
        {REG_BINARY, "D:\\Tools", "D:\\Tools"},
        {REG_BINARY, std::string("D:\\A\0D:\\B", 9), "D:\\A"},
        {REG_BINARY, std::string(261, 'b'), std::string(261, 'b')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.data.size());
        DeleteTree(kAppPathEntry);
        Put(kAppPathEntry, "Path", c.type, c.data);
        const CString folder = registry::ReadPreviousInstallFolder();
        EXPECT_EQ(std::string(folder.GetString(), std::size_t(folder.GetLength())), c.expected);
    }
}

TEST_F(RegistryTest, ReaderChangesNothing) {
    // No subkey: it stays missing.
    EXPECT_TRUE(registry::ReadPreviousInstallFolder().IsEmpty());
    EXPECT_FALSE(KeyExists(kAppPathEntry));
    // A subkey without "Path".
    Put(kAppPathEntry, "", REG_SZ, Sz("D:\\Tools\\KRZ.EXE"));
    EXPECT_TRUE(registry::ReadPreviousInstallFolder().IsEmpty());
    EXPECT_EQ(ValueCount(kAppPathEntry), 1);
    EXPECT_FALSE(Read(kAppPathEntry, "Path"));
    // No "App Paths" at all.
    MovedAside appPaths(kAppPaths);
    EXPECT_TRUE(registry::ReadPreviousInstallFolder().IsEmpty());
    EXPECT_FALSE(KeyExists(kAppPaths));
}

} // namespace
