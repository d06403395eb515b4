#include "Packer.h"
#include "PayloadLayout.h"
#include "PeBuilder.h"
#include "PeImage.h"
#include "PeResourceWriter.h"
#include "Szdd.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <dirent.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using packer::Bytes;

// A real executable of the platform, which is no installer stub.
const std::string kRealExecutable = "/usr/lib/x86_64-linux-gnu/wine/x86_64-windows/notepad.exe";

Bytes ReadFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(f), {});
}

// The real executable made a stub: the installer's main dialog template put in (an extended
// template, no menu, no class, with `title`), as krzpack build asks of a stub.
Bytes MarkedStub(const std::string& title = "Setup Quorbelix") {
    Bytes dialog = {1, 0, 0xFF, 0xFF};
    dialog.resize(26 + 4);
    for (const char c : title)
        dialog.insert(dialog.end(), {std::uint8_t(c), 0});
    dialog.insert(dialog.end(), {0, 0, 0, 0});
    Bytes stub;
    EXPECT_EQ(pe::PutResource(ReadFile(kRealExecutable), 5, 102, 1033, dialog, stub),
              pe::Error::none);
    return stub;
}

void WriteFile(const std::string& path, const Bytes& bytes) {
    std::ofstream f(path, std::ios::binary);
    f.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

std::vector<std::string> SamplePaths() {
    std::vector<std::string> paths;
    for (const char* name : payload::kFileList)
        paths.push_back(std::string(KRZ_SAMPLE_DIR "/") + name);
    return paths;
}

std::vector<Bytes> SampleFiles() {
    std::vector<Bytes> files;
    for (const std::string& path : SamplePaths())
        files.push_back(ReadFile(path));
    return files;
}

Bytes SamplePayload() {
    Bytes payload;
    std::string error;
    EXPECT_TRUE(packer::BuildPayload(SampleFiles(), payload, error)) << error;
    return payload;
}

TEST(Packer, PayloadOfTheSampleFiles) {
    const std::vector<Bytes> files = SampleFiles();
    const Bytes payload = SamplePayload();
    std::vector<packer::EntryInfo> entries;
    std::string error;
    ASSERT_TRUE(packer::ReadEntries(payload.data(), payload.size(), entries, error)) << error;
    ASSERT_EQ(entries.size(), 4u);
    std::size_t offset = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(entries[i].name, payload::kFileList[i]);
        EXPECT_EQ(entries[i].offset, offset);
        EXPECT_EQ(entries[i].expandedSize, files[i].size());
        EXPECT_TRUE(entries[i].headerError.empty());
        offset += 4 + entries[i].bodyLength;
    }
    // The end marker closes the payload.
    EXPECT_EQ(offset + 4, payload.size());
    std::vector<Bytes> expanded;
    ASSERT_TRUE(packer::ExpandAll(payload.data(), payload.size(), expanded, error)) << error;
    EXPECT_TRUE(expanded == files);
}

// True when no match of the stream copies a ring position before it has been written.
bool CopiesOnlyWrittenBytes(const std::uint8_t* body, std::size_t length) {
    bool written[4096] = {};
    std::size_t pos = 4080, in = 10; // the body lacks the first four signature bytes
    while (in < length) {
        const unsigned flags = body[in++];
        for (int bit = 0; bit < 8 && in < length; ++bit) {
            if (flags >> bit & 1) {
                ++in;
                written[pos] = true;
                pos = (pos + 1) % 4096;
                continue;
            }
            std::size_t source = body[in] | std::size_t(body[in + 1] >> 4) << 8;
            const std::size_t n = (body[in + 1] & 0x0F) + 3u;
            in += 2;
            for (std::size_t k = 0; k < n; ++k) {
                if (!written[source])
                    return false;
                written[pos] = true;
                pos = (pos + 1) % 4096;
                source = (source + 1) % 4096;
            }
        }
    }
    return true;
}

// Even a file that starts with spaces is packed without the ring's initial content.
TEST(Packer, PayloadIndependentOfInitialRing) {
    std::vector<Bytes> files = SampleFiles();
    files[2].insert(files[2].begin(), 40, ' ');
    Bytes payload;
    std::string error;
    ASSERT_TRUE(packer::BuildPayload(files, payload, error)) << error;
    std::vector<packer::EntryInfo> entries;
    ASSERT_TRUE(packer::ReadEntries(payload.data(), payload.size(), entries, error));
    for (const packer::EntryInfo& e : entries)
        EXPECT_TRUE(CopiesOnlyWrittenBytes(payload.data() + e.offset + 4, e.bodyLength)) << e.name;
}

TEST(Packer, RefusesFilesTheInstallerCannotInstall) {
    const std::vector<Bytes> good = SampleFiles();
    struct Case {
        const char* name;
        std::vector<Bytes> files;
        const char* message;
    } cases[] = {
        {"three files", {good[0], good[1], good[2]}, "expected 4 files, got 3"},
        {"five files", {good[0], good[1], good[2], good[3], good[3]}, "expected 4 files, got 5"},
        {"empty file", {good[0], good[1], Bytes(), good[3]}, "KRZ.cnt is empty"},
        {"over the expansion buffer",
         {good[0], Bytes(packer::kExpansionLimit + 1, 'x'), good[2], good[3]},
         "KRZ.hlp has 2000001 bytes"},
    };
    for (const Case& c : cases) {
        Bytes payload{1};
        std::string error;
        EXPECT_FALSE(packer::BuildPayload(c.files, payload, error)) << c.name;
        EXPECT_NE(error.find(c.message), std::string::npos) << c.name << ": " << error;
    }
    // Exactly the buffer's size fits.
    std::vector<Bytes> largest = good;
    largest[3] = Bytes(packer::kExpansionLimit, 'y');
    Bytes payload;
    std::string error;
    EXPECT_TRUE(packer::BuildPayload(largest, payload, error)) << error;
}

TEST(Packer, DamagedPayloads) {
    const Bytes good = SamplePayload();
    std::vector<packer::EntryInfo> entries;
    std::string error;
    ASSERT_TRUE(packer::ReadEntries(good.data(), good.size(), entries, error));
    const std::size_t second = entries[1].offset;

    auto entryBody = [&](std::size_t k) {
        return Bytes(good.begin() + std::ptrdiff_t(entries[k].offset),
                     good.begin() + std::ptrdiff_t(entries[k].offset + 4 + entries[k].bodyLength));
    };
    struct Case {
        const char* name;
        Bytes payload;
        const char* message;
    };
    std::vector<Case> cases;
    {
        Bytes p = good;
        p.push_back(0);
        cases.push_back({"byte after the end marker", p, "1 bytes follow the end marker"});
    }
    {
        Bytes p = good;
        p.resize(p.size() - 4);
        cases.push_back({"no end marker", p, "no end marker"});
    }
    {
        Bytes p = good;
        p[second + 3] = 0x7F;
        cases.push_back({"length past the end", p, "entry 2 at offset"});
    }
    {
        Bytes p = good;
        p[second + 4 + 4] = 'B'; // mode byte of entry 2
        cases.push_back({"bad mode", p, "entry 2 (KRZ.hlp): unknown compression mode"});
    }
    {
        Bytes p = good;
        p[second + 4 + 6] ^= 1; // expanded size of entry 2
        cases.push_back({"wrong expanded size", p, "entry 2 (KRZ.hlp): stream"});
    }
    {
        Bytes p(good.begin(), good.begin() + std::ptrdiff_t(entries[3].offset));
        p.insert(p.end(), {0, 0, 0, 0});
        cases.push_back({"three entries", p, "the payload has 3 entries"});
    }
    {
        Bytes p(good.begin(), good.end() - 4);
        const Bytes extra = entryBody(2);
        p.insert(p.end(), extra.begin(), extra.end());
        p.insert(p.end(), {0, 0, 0, 0});
        cases.push_back({"five entries", p, "the payload has 5 entries"});
    }
    {
        const Bytes empty = szdd::Compress(nullptr, 0);
        Bytes p(good.begin(), good.begin() + std::ptrdiff_t(entries[3].offset));
        p.insert(p.end(), {std::uint8_t(empty.size() - 4), 0, 0, 0});
        p.insert(p.end(), empty.begin() + 4, empty.end());
        p.insert(p.end(), {0, 0, 0, 0});
        cases.push_back({"empty file", p, "entry 4 (Uninstall.exe): expands to 0 bytes"});
    }
    for (const Case& c : cases) {
        std::vector<Bytes> files;
        std::string message;
        EXPECT_FALSE(packer::ExpandAll(c.payload.data(), c.payload.size(), files, message))
            << c.name;
        EXPECT_NE(message.find(c.message), std::string::npos) << c.name << ": " << message;
    }
}

TEST(Packer, EveryTruncationFails) {
    const Bytes good = SamplePayload();
    for (std::size_t cut = 0; cut < good.size(); cut += 37) {
        std::vector<Bytes> files;
        std::string error;
        EXPECT_FALSE(packer::ExpandAll(good.data(), cut, files, error)) << cut;
        EXPECT_FALSE(error.empty()) << cut;
    }
}

TEST(Packer, LocatesPayloadInExecutables) {
    const Bytes payload = SamplePayload();
    for (bool plus : {false, true}) {
        pebuilder::Layout layout;
        const Bytes image = pebuilder::Build(plus, payload, layout);
        packer::Located located;
        std::string error;
        ASSERT_TRUE(packer::LocatePayload(image, located, error)) << error;
        EXPECT_EQ(located.offset, layout.data);
        EXPECT_EQ(located.size, payload.size());
        EXPECT_NE(located.description.find(plus ? "PE32+" : "PE32 "), std::string::npos);
    }
    packer::Located located;
    std::string error;
    ASSERT_TRUE(packer::LocatePayload(payload, located, error));
    EXPECT_EQ(located.offset, 0u);
    EXPECT_EQ(located.size, payload.size());
    // An executable without the payload is an error, not a payload file.
    pebuilder::Layout layout;
    const Bytes other = pebuilder::Build(false, payload, layout, 130);
    EXPECT_FALSE(packer::LocatePayload(other, located, error));
    EXPECT_NE(error.find("RCDATA 129"), std::string::npos) << error;
}

// The command line, run as a program.
class Krzpack : public testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/krzpack-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_dir = pattern;
    }
    void TearDown() override { std::system(("rm -rf '" + m_dir + "'").c_str()); }

    std::string Path(const std::string& name) const { return m_dir + "/" + name; }

    // Runs krzpack with `args`; returns its exit status, keeps its output and errors.
    int Run(const std::string& args) {
        // A packer that waits for ever fails (124) instead.
        const std::string command = std::string("timeout 30 '" KRZPACK "' ") + args + " >'" +
                                    Path("stdout") + "' 2>'" + Path("stderr") + "'";
        const int status = std::system(command.c_str());
        m_out = ReadText(Path("stdout"));
        m_err = ReadText(Path("stderr"));
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    static std::string ReadText(const std::string& path) {
        const Bytes b = ReadFile(path);
        return std::string(b.begin(), b.end());
    }

    // Files in the test folder (or in a folder in it), apart from the captured output, sorted.
    std::vector<std::string> Listing(const std::string& folder = "") {
        std::vector<std::string> names;
        DIR* dir = opendir((folder.empty() ? m_dir : Path(folder)).c_str());
        while (dirent* e = dir ? readdir(dir) : nullptr) {
            const std::string name = e->d_name;
            if (name != "." && name != ".." && name.rfind("std", 0) != 0)
                names.push_back(name);
        }
        if (dir)
            closedir(dir);
        std::sort(names.begin(), names.end());
        return names;
    }

    static std::string Samples() {
        std::string s;
        for (const std::string& p : SamplePaths())
            s += " '" + p + "'";
        return s;
    }

    std::string m_dir, m_out, m_err;
};

TEST_F(Krzpack, PackListVerifyExtract) {
    ASSERT_EQ(Run("pack '" + Path("payload.bin") + "'" + Samples()), 0) << m_err;
    EXPECT_TRUE(ReadFile(Path("payload.bin")) == SamplePayload());

    ASSERT_EQ(Run("list '" + Path("payload.bin") + "'"), 0) << m_err;
    const std::vector<Bytes> files = SampleFiles();
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_NE(m_out.find(payload::kFileList[i]), std::string::npos);
        EXPECT_NE(m_out.find(" " + std::to_string(files[i].size()) + "\n"), std::string::npos)
            << m_out;
    }
    EXPECT_NE(m_out.find("4 entries"), std::string::npos) << m_out;

    EXPECT_EQ(Run("verify '" + Path("payload.bin") + "'" + Samples()), 0) << m_err;
    EXPECT_NE(m_out.find("against the source files"), std::string::npos);

    ASSERT_EQ(std::system(("mkdir '" + Path("out") + "'").c_str()), 0);
    ASSERT_EQ(Run("extract '" + Path("payload.bin") + "' '" + Path("out") + "'"), 0) << m_err;
    for (std::size_t i = 0; i < 4; ++i)
        EXPECT_TRUE(ReadFile(Path("out/") + payload::kFileList[i]) == files[i]);
}

TEST_F(Krzpack, ReadsPayloadFromExecutable) {
    for (bool plus : {false, true}) {
        pebuilder::Layout layout;
        WriteFile(Path("setup.exe"), pebuilder::Build(plus, SamplePayload(), layout));
        EXPECT_EQ(Run("list '" + Path("setup.exe") + "'"), 0) << m_err;
        EXPECT_NE(m_out.find(plus ? "PE32+ executable" : "PE32 executable"), std::string::npos);
        EXPECT_NE(m_out.find("Uninstall.exe"), std::string::npos);
        EXPECT_EQ(Run("verify '" + Path("setup.exe") + "'" + Samples()), 0) << m_err;
    }
}

TEST_F(Krzpack, UsageErrors) {
    const char* commands[] = {"",
                              "bogus",
                              "pack",
                              "pack out a b c",
                              "build out stub a b c",
                              "list",
                              "list a b",
                              "list --force f",
                              "list --bogus f",
                              "verify",
                              "verify f a b",
                              "extract f",
                              "extract f ''",
                              "extract '' d",
                              "help bogus"};
    for (const char* args : commands) {
        EXPECT_EQ(Run(args), 2) << args;
        EXPECT_NE(m_err.find("Usage:"), std::string::npos) << args;
        EXPECT_TRUE(m_out.empty()) << args;
    }
    EXPECT_TRUE(Listing().empty());

    // Help, of all commands or of one, and the version.
    EXPECT_EQ(Run("--help"), 0);
    EXPECT_NE(m_out.find("krzpack build OUTPUT STUB"), std::string::npos);
    EXPECT_NE(m_out.find("krzpack extract [--force] FILE DIRECTORY"), std::string::npos);
    EXPECT_TRUE(m_err.empty());
    for (const char* args : {"list --help", "list -h", "help list", "list f -h"}) {
        EXPECT_EQ(Run(args), 0) << args;
        EXPECT_NE(m_out.find("krzpack list FILE\n"), std::string::npos) << args;
        EXPECT_EQ(m_out.find("krzpack verify"), std::string::npos) << args;
    }
    EXPECT_EQ(Run("--version"), 0);
    EXPECT_EQ(m_out.rfind("krzpack 4.", 0), 0u) << m_out;
}

// The packer's refusals: each says what is wrong, names the user's file (never a temporary
// file or a target name the user did not give) and leaves everything as it was.
TEST_F(Krzpack, RefusalsLeaveEverythingAsItWas) {
    std::vector<std::string> messages;
    auto expectFailure = [&](const std::string& args, const std::string& text) {
        EXPECT_EQ(Run(args), 1) << args;
        EXPECT_NE(m_err.find(text), std::string::npos) << args << ": " << m_err;
        messages.push_back(m_err);
    };

    // Neither an installer nor a payload.
    WriteFile(Path("notes.txt"), Bytes{'n', 'o', 't', 'e', 's', ' ', 'o', 'f', ' ', 'a'});
    expectFailure("list '" + Path("notes.txt") + "'", Path("notes.txt") + ": neither an installer");

    // Extraction refuses to replace files and stops before a folder in the way.
    WriteFile(Path("payload.bin"), SamplePayload());
    ASSERT_EQ(std::system(("mkdir '" + Path("out") + "'").c_str()), 0);
    WriteFile(Path("out/KRZ.cnt"), Bytes{'o', 'l', 'd'});
    const std::string extract = "extract '" + Path("payload.bin") + "' '" + Path("out") + "'";
    expectFailure(extract, Path("out/KRZ.cnt") + " exists; nothing was extracted");
    EXPECT_EQ(Listing("out"), std::vector<std::string>{"KRZ.cnt"});
    EXPECT_TRUE(ReadFile(Path("out/KRZ.cnt")) == (Bytes{'o', 'l', 'd'}));
    ASSERT_EQ(std::system(("mkdir '" + Path("out/KRZ.hlp") + "'").c_str()), 0);
    expectFailure("extract --force '" + Path("payload.bin") + "' '" + Path("out") + "'",
                  Path("out/KRZ.hlp") + ": is a folder");
    EXPECT_EQ(Listing("out"), (std::vector<std::string>{"KRZ.cnt", "KRZ.hlp"}));
    ASSERT_EQ(std::system(("rmdir '" + Path("out/KRZ.hlp") + "'").c_str()), 0);
    ASSERT_EQ(Run("extract --force '" + Path("payload.bin") + "' '" + Path("out") + "'"), 0)
        << m_err;
    EXPECT_TRUE(ReadFile(Path("out/KRZ.cnt")) == SampleFiles()[2]);
    EXPECT_EQ(Listing("out").size(), 4u);

    // Building: a stub that is no executable, a file the installer cannot carry.
    const std::string installer = Path("setup.exe"), stub = Path("stub.exe");
    WriteFile(stub, MarkedStub());
    expectFailure("build '" + installer + "' '" + Path("notes.txt") + "'" + Samples(),
                  Path("notes.txt") + ": not an executable");
    std::string sources = Samples();
    WriteFile(Path("help.cnt"), Bytes());
    sources.replace(sources.find("'" KRZ_SAMPLE_DIR "/KRZ.cnt'"),
                    std::string("'" KRZ_SAMPLE_DIR "/KRZ.cnt'").size(),
                    "'" + Path("help.cnt") + "'");
    expectFailure("build '" + installer + "' '" + stub + "'" + sources,
                  Path("help.cnt") + " is empty");

    ASSERT_EQ(std::system(("mkdir '" + Path("taken") + "'").c_str()), 0);
    expectFailure("build '" + Path("taken") + "' '" + stub + "'" + Samples(),
                  Path("taken") + ": is a folder");
    EXPECT_TRUE(Listing("taken").empty());

    // Inputs that are no regular file are refused unread (a FIFO would block, /dev/zero never
    // end); a file over the limit is read no further than the limit. An OUTPUT that is one of the
    // inputs, however spelled, is refused.
    auto samplesWith = [](std::size_t i, const std::string& path) {
        std::string inputs;
        for (std::size_t j = 0; j < 4; ++j)
            inputs += " '" + (j == i ? path : SamplePaths()[j]) + "'";
        return inputs;
    };
    ASSERT_EQ(mkfifo(Path("fifo").c_str(), 0600), 0);
    expectFailure("list '" + Path("fifo") + "'", Path("fifo") + ": not a regular file");
    expectFailure("pack '" + Path("payload.new") + "'" + samplesWith(2, Path("fifo")),
                  Path("fifo") + ": not a regular file");
    expectFailure("build '" + installer + "' /dev/zero" + Samples(),
                  "/dev/zero: not a regular file");
    WriteFile(Path("huge.exe"), Bytes());
    ASSERT_EQ(truncate(Path("huge.exe").c_str(), 3LL << 30), 0); // sparse
    expectFailure("verify '" + Path("huge.exe") + "'", Path("huge.exe") + ": more than");
    expectFailure("pack '" + Path("payload.new") + "'" + samplesWith(0, Path("huge.exe")),
                  Path("huge.exe") + ": more than 2000000 bytes");
    WriteFile(Path("u1.exe"), ReadFile(SamplePaths()[3]));
    expectFailure("pack '" + m_dir + "/./u1.exe'" + samplesWith(3, Path("u1.exe")), "is the input");
    ASSERT_EQ(symlink(Path("u1.exe").c_str(), Path("link.exe").c_str()), 0);
    expectFailure("build '" + Path("link.exe") + "' '" + Path("u1.exe") + "'" + Samples(),
                  "is the input");
    EXPECT_TRUE(ReadFile(Path("u1.exe")) == ReadFile(SamplePaths()[3]));
    for (const char* name : {"fifo", "huge.exe", "u1.exe", "link.exe"})
        std::remove(Path(name).c_str());

    // An installer cut short behind its resource section is not whole.
    ASSERT_EQ(Run("build '" + installer + "' '" + stub + "'" + Samples()), 0) << m_err;
    Bytes cut = ReadFile(installer);
    pe::Headers headers;
    ASSERT_EQ(pe::ReadHeaders(cut.data(), cut.size(), headers), pe::Error::none);
    ASSERT_EQ(std::string(headers.sections[8].name), ".reloc");
    cut.resize(headers.sections[8].rawOffset);
    WriteFile(Path("cut.exe"), cut);
    expectFailure("verify '" + Path("cut.exe") + "'", Path("cut.exe") + ": the file is cut short");
    EXPECT_EQ(Run("list '" + Path("cut.exe") + "'"), 0) << m_err; // its payload is all there

    for (const std::string& message : messages) {
        EXPECT_EQ(message.find(".krzpack"), std::string::npos) << message;
        EXPECT_EQ(message.find("Usage"), std::string::npos) << message;
    }
    EXPECT_EQ(Listing(),
              (std::vector<std::string>{"cut.exe", "help.cnt", "notes.txt", "out", "payload.bin",
                                        "setup.exe", "stub.exe", "taken"}));
}

// What cannot make an installer is refused before anything is written: a stub that is not an
// installer stub (the application's own program, another dialog 102), the four files in
// another order, a version that is not four numbers of 0 to 65535. Files under names of their
// own, as build outputs have, are packed.
TEST_F(Krzpack, BuildRefusesWhatCannotBeRight) {
    const std::string out = " '" + Path("setup.exe") + "'";
    WriteFile(Path("stub.exe"), MarkedStub());
    WriteFile(Path("other.exe"), MarkedStub("Setup Quorbelix 2"));
    const std::vector<std::string> sample = SamplePaths();
    EXPECT_EQ(Run("build" + out + " '" + sample[0] + "'" + Samples()), 1);
    EXPECT_NE(m_err.find(sample[0] + ": not an installer stub: it has no main dialog"),
              std::string::npos)
        << m_err;
    EXPECT_EQ(Run("build" + out + " '" + kRealExecutable + "'" + Samples()), 1);
    EXPECT_NE(m_err.find("not an installer stub"), std::string::npos) << m_err;
    EXPECT_EQ(Run("build" + out + " '" + Path("other.exe") + "'" + Samples()), 1);
    EXPECT_NE(m_err.find("is not the main dialog"), std::string::npos) << m_err;
    const std::string swapped =
        " '" + sample[1] + "' '" + sample[0] + "' '" + sample[2] + "' '" + sample[3] + "'";
    EXPECT_EQ(Run("build" + out + " '" + Path("stub.exe") + "'" + swapped), 1);
    EXPECT_NE(m_err.find(sample[1] + ": given as file 1 (KRZ.exe) but named as file 2"),
              std::string::npos)
        << m_err;
    for (const char* version :
         {"5.1.2", "5.1.2.65536", "5.1.2.3.4", "5.1.x.3", "5..2.3", "-1.0.0.0"}) {
        EXPECT_EQ(Run(std::string("build --set-version ") + version + out + " '" +
                      Path("stub.exe") + "'" + Samples()),
                  2)
            << version;
        EXPECT_NE(m_err.find("not four numbers of 0 to 65535"), std::string::npos) << m_err;
    }
    // The platform's program made a stub has a manifest but no version resource to stamp.
    EXPECT_EQ(Run("build --set-version 5.1.2.3" + out + " '" + Path("stub.exe") + "'" + Samples()),
              1);
    EXPECT_NE(m_err.find("stub.exe: it has no version resource; nothing was written"),
              std::string::npos)
        << m_err;
    EXPECT_EQ(Listing(), (std::vector<std::string>{"other.exe", "stub.exe"}));

    std::string renamed;
    for (std::size_t i = 0; i < 4; ++i) {
        const std::string copy = Path("build-output-" + std::to_string(i));
        WriteFile(copy, ReadFile(sample[i]));
        renamed += " '" + copy + "'";
    }
    EXPECT_EQ(Run("build" + out + " '" + Path("stub.exe") + "'" + renamed), 0) << m_err;
    EXPECT_EQ(Run("verify" + out + Samples()), 0) << m_err;
}

TEST_F(Krzpack, FailuresLeaveNoOutput) {
    // A missing input: no payload written, not even partly.
    std::string inputs = Samples();
    inputs.replace(inputs.find("KRZ.hlp"), 7, "missing.hlp");
    EXPECT_EQ(Run("pack '" + Path("payload.bin") + "'" + inputs), 1);
    EXPECT_NE(m_err.find("missing.hlp"), std::string::npos) << m_err;
    EXPECT_TRUE(Listing().empty());

    // A damaged payload: nothing extracted, no temporary files left.
    Bytes payload = SamplePayload();
    payload[payload.size() / 2] ^= 0x55;
    payload[payload.size() / 2 + 1] ^= 0x55;
    WriteFile(Path("bad.bin"), payload);
    ASSERT_EQ(std::system(("mkdir '" + Path("out") + "'").c_str()), 0);
    EXPECT_EQ(Run("extract '" + Path("bad.bin") + "' '" + Path("out") + "'"), 1);
    EXPECT_FALSE(m_err.empty());
    EXPECT_EQ(Listing(), (std::vector<std::string>{"bad.bin", "out"}));
    EXPECT_EQ(Run("verify '" + Path("bad.bin") + "'"), 1);
    EXPECT_NE(m_err.find("entry"), std::string::npos) << m_err;

    // Extraction into a folder that does not exist.
    WriteFile(Path("good.bin"), SamplePayload());
    EXPECT_EQ(Run("extract '" + Path("good.bin") + "' '" + Path("nowhere") + "'"), 1);
    EXPECT_NE(m_err.find("nowhere"), std::string::npos) << m_err;
    EXPECT_EQ(Listing(), (std::vector<std::string>{"bad.bin", "good.bin", "out"}));
}

TEST_F(Krzpack, VerifyReportsDifferenceFromSource) {
    WriteFile(Path("payload.bin"), SamplePayload());
    Bytes changed = ReadFile(SamplePaths()[2]);
    changed[10] ^= 1;
    WriteFile(Path("KRZ.cnt"), changed);
    std::string sources = Samples();
    sources.replace(sources.find("'" KRZ_SAMPLE_DIR "/KRZ.cnt'"),
                    std::string("'" KRZ_SAMPLE_DIR "/KRZ.cnt'").size(),
                    "'" + Path("KRZ.cnt") + "'");
    EXPECT_EQ(Run("verify '" + Path("payload.bin") + "'" + sources), 1);
    EXPECT_NE(m_err.find("entry 3 (KRZ.cnt) differs"), std::string::npos) << m_err;
    EXPECT_NE(m_err.find("at byte 10"), std::string::npos) << m_err;
}

TEST_F(Krzpack, DamagedExecutable) {
    pebuilder::Layout layout;
    Bytes image = pebuilder::Build(false, SamplePayload(), layout);
    image.resize(layout.data + 100);
    WriteFile(Path("cut.exe"), image);
    for (const char* command : {"list", "verify"}) {
        EXPECT_EQ(Run(std::string(command) + " '" + Path("cut.exe") + "'"), 1) << command;
        EXPECT_NE(m_err.find("damaged resource directory"), std::string::npos) << m_err;
    }
}

} // namespace
