// Measures the codec on a corpus of files: compressed size against mscompress and against
// the exact optimum, encoder throughput against mscompress, decoder throughput against
// msexpand. Sizes are compared, speeds only reported: nothing here is a test.
// Usage: krz_bench FILE...
#include "ReferenceOptimum.h"
#include "Szdd.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

// Best time of repeated runs, for at least 0.3 s and 3 runs.
template <typename F> double BestTime(F f) {
    double best = 1e30, total = 0;
    for (int runs = 0; runs < 3 || total < 0.3; ++runs) {
        const auto start = Clock::now();
        f();
        const double t = Seconds(start);
        best = std::min(best, t);
        total += t;
    }
    return best;
}

double Mbps(std::size_t bytes, double seconds) {
    return double(bytes) / seconds / 1e6;
}

Bytes Read(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(f), {});
}

bool Write(const std::string& path, const Bytes& bytes) {
    std::ofstream f(path, std::ios::binary);
    f.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return f.good();
}

void Remove(const std::string& path) {
    std::remove(path.c_str());
}

// Wall time of a shell command, best of three; `before` runs untimed before each.
double CommandTime(const std::string& command, const std::string& before = "") {
    double best = 1e30;
    for (int i = 0; i < 3; ++i) {
        if (!before.empty())
            Remove(before);
        const auto start = Clock::now();
        if (std::system(command.c_str()) != 0) {
            std::fprintf(stderr, "krz_bench: failed: %s\n", command.c_str());
            std::exit(1);
        }
        best = std::min(best, Seconds(start));
    }
    return best;
}

struct Totals {
    std::size_t input = 0, ms = 0, ours = 0, optimum = 0, noSpaces = 0;
    double encode1 = 0, encodeN = 0, msEncode = 0, decode = 0, msDecode = 0;
};

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: krz_bench FILE...\n");
        return 2;
    }
    char pattern[] = "/tmp/krz-bench-XXXXXX";
    if (!mkdtemp(pattern)) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::string dir = pattern;
    bool allOptimal = true, allExact = true;
    Totals t;

    std::printf("%-16s %9s | %9s %9s %9s %9s | %8s %8s %8s %6s | %8s %8s\n", "file", "size",
                "mscomp", "ours", "optimum", "no-space", "enc 1t", "enc all", "mscomp", "x", "dec",
                "msexp");
    std::printf("%-16s %9s | %9s %9s %9s %9s | %8s %8s %8s %6s | %8s %8s\n", "", "bytes", "bytes",
                "bytes", "bytes", "bytes", "MB/s", "MB/s", "MB/s", "", "MB/s", "MB/s");
    for (int a = 1; a < argc; ++a) {
        const std::string path = argv[a];
        const Bytes input = Read(path);
        if (input.empty()) {
            std::fprintf(stderr, "krz_bench: cannot read %s\n", path.c_str());
            return 1;
        }
        Bytes file, out;
        szdd::CompressOptions one;
        one.threads = 1;
        const double encode1 =
            BestTime([&] { szdd::Compress(input.data(), input.size(), file, one); });
        const double encodeN = BestTime(
            [&] { szdd::Compress(input.data(), input.size(), file, szdd::CompressOptions()); });
        const double decode = BestTime([&] { szdd::Expand(file.data(), file.size(), out); });
        allExact &= out == input;
        szdd::CompressOptions noSpaces;
        noSpaces.useInitialSpaces = false;
        Bytes plain;
        szdd::Compress(input.data(), input.size(), plain, noSpaces);
        const std::size_t optimum = bench::OptimalFileSize(input.data(), input.size());
        allOptimal &= file.size() == optimum;

        // mscompress and msexpand work on files; their time includes their own I/O.
        const std::string raw = dir + "/input", packed = dir + "/input_";
        Write(raw, input);
        const double msEncode = CommandTime("mscompress '" + raw + "'", packed);
        const Bytes msFile = Read(packed);
        Bytes msOut;
        allExact &=
            szdd::Expand(msFile.data(), msFile.size(), msOut) == szdd::Status::ok && msOut == input;
        const double msDecode = CommandTime("msexpand < '" + packed + "' > '" + dir + "/expanded'");
        allExact &= Read(dir + "/expanded") == input;

        std::string name = path.substr(path.find_last_of('/') + 1);
        std::printf("%-16.16s %9zu | %9zu %9zu %9zu %9zu | %8.1f %8.1f %8.1f %6.1f | %8.0f %8.1f\n",
                    name.c_str(), input.size(), msFile.size(), file.size(), optimum, plain.size(),
                    Mbps(input.size(), encode1), Mbps(input.size(), encodeN),
                    Mbps(input.size(), msEncode), msEncode / encodeN, Mbps(input.size(), decode),
                    Mbps(input.size(), msDecode));
        t.input += input.size();
        t.ms += msFile.size();
        t.ours += file.size();
        t.optimum += optimum;
        t.noSpaces += plain.size();
        t.encode1 += encode1;
        t.encodeN += encodeN;
        t.msEncode += msEncode;
        t.decode += decode;
        t.msDecode += msDecode;
    }
    std::printf("%-16s %9zu | %9zu %9zu %9zu %9zu | %8.1f %8.1f %8.1f %6.1f | %8.0f %8.1f\n",
                "total", t.input, t.ms, t.ours, t.optimum, t.noSpaces, Mbps(t.input, t.encode1),
                Mbps(t.input, t.encodeN), Mbps(t.input, t.msEncode), t.msEncode / t.encodeN,
                Mbps(t.input, t.decode), Mbps(t.input, t.msDecode));
    std::printf("\nours vs mscompress: %.2f%% smaller; exact optimum on every file: %s; "
                "all expansions byte-exact: %s\n",
                100.0 * (double(t.ms) - double(t.ours)) / double(t.ms), allOptimal ? "yes" : "NO",
                allExact ? "yes" : "NO");
    std::printf("encoder speed vs mscompress: %.1fx with one thread, %.1fx with all\n",
                t.msEncode / t.encode1, t.msEncode / t.encodeN);
    std::system(("rm -rf '" + dir + "'").c_str());
    return allOptimal && allExact ? 0 : 1;
}
