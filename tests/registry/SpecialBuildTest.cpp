#include "InstallerKeys.h"
#include "MachineState.h"
#include "Process.h"
#include "Registry.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using keys::kAppPathEntry;

// The probes are built beside this test executable; each records the entry for `folder`,
// starting from the text `before`; the exit code is 0 when it could.
DWORD RunProbe(const std::string& name, const std::string& folder, const std::string& before) {
    ui::Process probe(ui::ProgramFolder() + name + ".exe", "\"" + folder + "\" \"" + before + "\"");
    return probe.WaitForExit();
}

std::string Recorded(const char* name) {
    const auto value = ui::ReadRegistryValue(HKEY_LOCAL_MACHINE, kAppPathEntry, name);
    EXPECT_TRUE(value) << name;
    EXPECT_EQ(value ? value->type : 0, DWORD(REG_SZ)) << name;
    return value ? value->bytes : "";
}

class SpecialBuildTest : public ::testing::Test {
protected:
    ui::ScopedRegistryKeyAside appPathEntry_{HKEY_LOCAL_MACHINE, kAppPathEntry};
};

// This executable carries the installer's own version resource, whose "SpecialBuild" is
// empty: whatever the text held before, the entry records the single NUL.
TEST_F(SpecialBuildTest, InstallersOwnResourceGivesTheEmptyText) {
    CString specialBuild("stale");
    registry::ReadSpecialBuild(specialBuild);
    EXPECT_EQ(specialBuild, "");

    specialBuild = "stale";
    registry::WriteAppPathEntry("D:\\Tools", specialBuild);
    EXPECT_EQ(specialBuild, "");
    EXPECT_EQ(Recorded("SpecialBuild"), std::string(1, '\0'));
}

TEST_F(SpecialBuildTest, RecordedFromTheRunningExecutablesResource) {
    struct Case {
        const char* probe;
        const char* before;
        const char* recorded;
    };
    const Case cases[] = {
        // Trimmed at both ends; white space inside stays.
        {"specialbuild_padded", "", "Build 7  of\t9"},
        // The lookup goes straight to the US English Unicode table.
        {"specialbuild_other_language", "stale", ""},
        {"specialbuild_other_codepage", "stale", ""},
        // No version resource at all: the text keeps its value.
        {"specialbuild_none", "kept", "kept"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.probe);
        ui::DeleteRegistryKey(HKEY_LOCAL_MACHINE, kAppPathEntry);
        ASSERT_EQ(RunProbe(c.probe, "D:\\Tools", c.before), 0u);
        EXPECT_EQ(Recorded("SpecialBuild"), std::string(c.recorded) + '\0');
        EXPECT_EQ(Recorded("Path"), std::string("D:\\Tools") + '\0');
    }
}

} // namespace
