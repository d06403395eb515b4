// The walk over the payload: entry i becomes name i of the file list, up to the end marker
// or the fourth name, never reading past the payload's end.
#include <gtest/gtest.h>

#include <functional>

#include "Expansion.h"
#include "InstallFiles.h"
#include "MachineState.h"
#include "PayloadLayout.h"
#include "TestSupport.h"

namespace {

Bytes WithoutEndMarker(Bytes p) {
    p.resize(p.size() - 4);
    return p;
}

void Append32(Bytes& p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p.push_back(std::uint8_t(v >> (8 * i)));
}

std::vector<Bytes> First(int n) {
    return {SmallFiles().begin(), SmallFiles().begin() + n};
}

struct WalkCase {
    const char* what;
    std::function<Bytes()> payload;
    int installed; // entries that reach their targets
    bool succeeds; // false: "Error in installation"
};

const WalkCase kWalks[] = {
    {"four entries then the end marker", [] { return PayloadOf(SmallFiles()); }, 4, true},
    {"end marker after two entries", [] { return PayloadOf(First(2)); }, 2, true},
    {"end marker first", [] { return PayloadOf({}); }, 0, true},
    {"a fifth entry is never read",
     [] {
         Bytes p = WithoutEndMarker(PayloadOf(SmallFiles()));
         Append32(p, 0xFFFFFFF0); // would run far past the end
         return p;
     },
     4, true},
    {"no end marker after three entries", [] { return WithoutEndMarker(PayloadOf(First(3))); }, 3,
     false},
    {"half an end marker",
     [] {
         Bytes p = PayloadOf(First(1));
         p.resize(p.size() - 2);
         return p;
     },
     1, false},
    {"a length running one byte past the end",
     [] {
         Bytes p = WithoutEndMarker(PayloadOf(First(1)));
         const Bytes second = Compressed(SmallFiles()[1]);
         Append32(p, std::uint32_t(second.size() - 4 + 1));
         p.insert(p.end(), second.begin() + 4, second.end());
         return p;
     },
     1, false},
    {"payload cut inside the third body",
     [] {
         Bytes p = PayloadOf(SmallFiles());
         // Each entry takes as many bytes as its complete compressed file.
         const std::size_t third =
             Compressed(SmallFiles()[0]).size() + Compressed(SmallFiles()[1]).size();
         p.resize(third + 100);
         return p;
     },
     2, false},
    {"empty payload", [] { return Bytes(); }, 0, false},
};

TEST(PayloadWalk, ExpandsEntriesInOrderAndStopsWhereThePayloadSays) {
    for (const WalkCase& c : kWalks) {
        SCOPED_TRACE(c.what);
        ScratchFolder folder;
        MessageLog log;
        const Bytes p = c.payload();
        // A copy of exactly the payload's bytes: reading past them would be caught.
        EXPECT_EQ(app::ExpandPayload(folder.Path(), p.data(), p.size()), c.succeeds);
        EXPECT_EQ(log.Boxes(),
                  c.succeeds ? MessageLog::None() : MessageLog::One("Error in installation"));
        ExpectInstalled(folder.Path(), SmallFiles(), c.installed);
        EXPECT_FALSE(Exists(folder / "krz.tmp"));
    }
}

TEST(PayloadWalk, MissingPayloadResourceExpandsNothing) {
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
    ASSERT_FALSE(payload::FindPayload(data, size)) << "this test program carries no payload";
    ScratchFolder folder;
    MessageLog log;
    EXPECT_FALSE(app::ExpandPayload(folder.Path()));
    EXPECT_EQ(log.Boxes(), MessageLog::One("Error in installation"));
    ExpectInstalled(folder.Path(), {}, 0);
    EXPECT_FALSE(Exists(folder / "krz.tmp"));
}

// krzexpand.exe, copied as krzsetup.exe with a payload put into its resources, expands
// through FindResourceA, LoadResource, LockResource and SizeofResource. Its messages come
// back on its standard output, which is in text mode.
struct ResourceCase {
    const char* what;
    bool carriesPayload;
    std::function<Bytes()> payload;
    DWORD exitCode;
    int installed;
    const char* output;
};

const ResourceCase kResources[] = {
    {"sample payload", true, [] { return PayloadOf(SmallFiles()); }, 0, 4, ""},
    {"payload without its end marker", true, [] { return WithoutEndMarker(PayloadOf(First(1))); },
     1, 1, "krzsetup|Error in installation|0x30\r\n"},
    {"no payload resource", false, [] { return Bytes(); }, 1, 0,
     "krzsetup|Error in installation|0x30\r\n"},
};

TEST(PayloadWalk, ReadsThePayloadFromTheExecutablesResource) {
    for (const ResourceCase& c : kResources) {
        SCOPED_TRACE(c.what);
        ScratchFolder work;
        ScratchFolder folder;
        const CString exe = work / "krzsetup.exe";
        ASSERT_TRUE(CopyFileA((ui::ProgramFolder() + "krzexpand.exe").c_str(), exe, FALSE));
        const Bytes p = c.payload();
        if (c.carriesPayload) {
            const HANDLE update = BeginUpdateResourceA(exe, FALSE);
            ASSERT_NE(update, nullptr);
            ASSERT_TRUE(UpdateResourceA(update, MAKEINTRESOURCEA(10), MAKEINTRESOURCEA(129), 1033,
                                        const_cast<std::uint8_t*>(p.data()), DWORD(p.size())));
            ASSERT_TRUE(EndUpdateResourceA(update, FALSE));
        }

        const CString outPath = work / "out.txt";
        SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
        const HANDLE out = CreateFileA(outPath, GENERIC_WRITE, FILE_SHARE_READ, &sa, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr);
        STARTUPINFOA si = {};
        si.cb = sizeof si;
        si.dwFlags = STARTF_USESTDHANDLES;
        si.hStdOutput = out;
        si.hStdError = out;
        PROCESS_INFORMATION pi = {};
        CString commandLine = "\"" + exe + "\" \"" + folder.Path() + "\"";
        ASSERT_TRUE(CreateProcessA(exe, commandLine.GetBuffer(0), nullptr, nullptr, TRUE, 0,
                                   nullptr, nullptr, &si, &pi));
        WaitForSingleObject(pi.hProcess, INFINITE);
        DWORD exitCode = 99;
        GetExitCodeProcess(pi.hProcess, &exitCode);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
        CloseHandle(out);

        EXPECT_EQ(exitCode, c.exitCode);
        const Bytes printed = ReadBytes(outPath);
        EXPECT_EQ(std::string(printed.begin(), printed.end()), c.output);
        ExpectInstalled(folder.Path(), SmallFiles(), c.installed);
    }
}

} // namespace
