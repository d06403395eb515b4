#include "Registry.h"
#include "RegistryTestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace regtest;

// Runs a probe built beside this test executable and returns its exit code, or -1.
int RunProbe(const std::string& name, const std::string& folder, const std::string& text) {
    char self[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string exe(self, n);
    exe = exe.substr(0, exe.find_last_of('\\') + 1) + name + ".exe";
    std::string command = "\"" + exe + "\" \"" + folder + "\" \"" + text + "\"";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(exe.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi))
        return -1;
    WaitForSingleObject(pi.hProcess, 60000);
    DWORD code = DWORD(-1);
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return int(code);
}

class SpecialBuildTest : public ::testing::Test {
protected:
    MovedAside appPathEntry_{kAppPathEntry};
};

// This executable carries the installer's own version resource, whose "SpecialBuild" is
// empty: whatever the text held before, the entry records the single NUL.
TEST_F(SpecialBuildTest, InstallersOwnResourceGivesTheEmptyText) {
    CString specialBuild("stale");
    ReadSpecialBuild(specialBuild);
    EXPECT_EQ(specialBuild, "");

    specialBuild = "stale";
    WriteAppPathEntry("D:\\Tools", specialBuild);
    EXPECT_EQ(specialBuild, "");
    const Value v = Read(kAppPathEntry, "SpecialBuild");
    EXPECT_EQ(v.type, DWORD(REG_SZ));
    EXPECT_EQ(v.data, std::string(1, '\0'));
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
        DeleteTree(kAppPathEntry);
        ASSERT_EQ(RunProbe(c.probe, "D:\\Tools", c.before), 0);
        const Value v = Read(kAppPathEntry, "SpecialBuild");
        EXPECT_EQ(v.type, DWORD(REG_SZ));
        EXPECT_EQ(v.data, std::string(c.recorded) + '\0');
        EXPECT_EQ(Read(kAppPathEntry, "Path").data, std::string("D:\\Tools") + '\0');
    }
}

} // namespace
