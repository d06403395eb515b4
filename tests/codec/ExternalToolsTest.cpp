// Cross-checks with an independent implementation of the format on the host: msexpand must
// expand our files, and our expander must expand mscompress's.
#include "Szdd.h"
#include "TestData.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

namespace {

using testdata::Bytes;
using testdata::Kind;

class ExternalTools : public testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/krz-codec-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_dir = pattern;
    }
    void TearDown() override { std::system(("rm -rf '" + m_dir + "'").c_str()); }

    std::string Path(const std::string& name) const { return m_dir + "/" + name; }

    static void Write(const std::string& path, const Bytes& bytes) {
        std::ofstream f(path, std::ios::binary);
        f.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        ASSERT_TRUE(f.good()) << path;
    }

    static Bytes Read(const std::string& path) {
        std::ifstream f(path, std::ios::binary);
        EXPECT_TRUE(f.good()) << path;
        return Bytes(std::istreambuf_iterator<char>(f), {});
    }

    static void Run(const std::string& command) {
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
    }

    Bytes Msexpand(const Bytes& file) {
        Write(Path("in.sz"), file);
        Run("msexpand < '" + Path("in.sz") + "' > '" + Path("out") + "'");
        return Read(Path("out"));
    }

    Bytes Mscompress(const Bytes& data) {
        Write(Path("data"), data);
        std::remove(Path("data_").c_str());
        Run("mscompress '" + Path("data") + "'");
        return Read(Path("data_"));
    }

    std::string m_dir;
};

std::vector<Bytes> Inputs(std::size_t minimumSize) {
    std::vector<Bytes> inputs;
    for (std::size_t n : {0, 1, 2, 3, 15, 16, 17, 18, 19, 4096, 4097, 100000})
        if (n >= minimumSize)
            for (Kind kind : {Kind::random, Kind::fewSymbols, Kind::runs, Kind::structured})
                inputs.push_back(testdata::Make(kind, n, unsigned(n) + 3));
    inputs.push_back(testdata::Make(Kind::periodic, 2000000, 1));
    // Leading and trailing spaces, copied from the ring's initial content.
    inputs.push_back(testdata::FromString(std::string(40, ' ') + "x" + std::string(4100, ' ')));
    std::ifstream real(KRZ_SAMPLE_DIR "/KRZ.exe", std::ios::binary);
    inputs.emplace_back(std::istreambuf_iterator<char>(real), std::istreambuf_iterator<char>());
    EXPECT_GT(inputs.back().size(), 10000u) << "sample executable missing";
    return inputs;
}

TEST_F(ExternalTools, MsexpandExpandsOurFiles) {
    for (const Bytes& input : Inputs(0)) {
        for (bool spaces : {true, false}) {
            szdd::CompressOptions options;
            options.useInitialSpaces = spaces;
            Bytes file;
            ASSERT_EQ(szdd::Compress(input.data(), input.size(), file, options), szdd::Status::ok);
            EXPECT_TRUE(Msexpand(file) == input) << "size " << input.size() << " spaces " << spaces;
        }
    }
}

// mscompress mishandles inputs under 16 bytes, so those are left out.
TEST_F(ExternalTools, WeExpandMscompressFiles) {
    for (const Bytes& input : Inputs(16)) {
        const Bytes file = Mscompress(input);
        Bytes out;
        ASSERT_EQ(szdd::Expand(file.data(), file.size(), out), szdd::Status::ok)
            << "size " << input.size();
        EXPECT_TRUE(out == input) << "size " << input.size();
        // The shortest-path encoder never loses to it.
        EXPECT_LE(szdd::Compress(input.data(), input.size()).size(), file.size());
    }
}

} // namespace
