// Times the expansion of single-entry payloads through the installer's whole path (krz.tmp
// written, LZ32 expansion, target written and stamped) against a plain CopyFileA of the
// expanded file, and LZ32's share on its own. Runs under Wine; see bench/expansion.sh.
// Usage: expansion_bench [--runs N] [file...]; a sample-like 909,312-byte executable is always
// measured first.
#include <windows.h>
#include <lzexpand.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "AfxMessageBox.h"
#include "Expansion.h"
#include "InstallFiles.h"
#include "TestSupport.h"
#include "Timing.h"

namespace {

int Refuse(HWND, const char* text, const char*, UINT) {
    std::fprintf(stderr, "expansion failed: %s\n", text);
    std::exit(1);
}

void Measure(const char* name, const Bytes& data, int runs) {
    ScratchFolder folder;
    const Bytes compressed = Compressed(data);
    const Bytes p = PayloadOf({data});
    const CString target = folder / "KRZ.exe";

    const double expand =
        bench::MedianMs(runs, [&] { app::ExpandPayload(folder.Path(), p.data(), p.size()); });
    if (ReadBytes(target) != data) {
        std::fprintf(stderr, "%s: expanded file differs\n", name);
        std::exit(1);
    }
    const double copy =
        bench::MedianMs(runs, [&] { CopyFileA(target, folder / "copy.bin", FALSE); });

    // LZ32 alone, from a complete compressed file already on disk.
    const CString packed = folder / "packed.tmp";
    WriteBytes(packed, compressed);
    std::vector<char> buffer(payload::kExpansionBufferSize);
    const double lz = bench::MedianMs(runs, [&] {
        OFSTRUCT of = {};
        char path[MAX_PATH];
        lstrcpynA(path, packed, MAX_PATH);
        const INT h = LZOpenFileA(path, &of, OF_READ | OF_SHARE_DENY_WRITE);
        LZRead(h, buffer.data(), INT(buffer.size()));
        LZClose(h);
    });

    std::printf("%-24s %9zu %10zu %10.2f %10.2f %10.2f %7.1fx\n", name, data.size(),
                compressed.size(), expand, lz, copy, expand / copy);
}

} // namespace

int main(int argc, char** argv) {
    AfxSetMessageBoxHook(Refuse);
    int runs = 15;
    int first = 1;
    if (argc > 2 && std::strcmp(argv[1], "--runs") == 0) {
        runs = std::max(1, std::atoi(argv[2]));
        first = 3;
    }
    std::printf("median of %d runs, milliseconds\n", runs);
    std::printf("%-24s %9s %10s %10s %10s %10s %8s\n", "file", "bytes", "packed", "install",
                "LZ32 only", "CopyFileA", "ratio");
    Measure("sample-like KRZ.exe", SampleFiles()[0], runs);
    for (int i = first; i < argc; ++i) {
        const Bytes data = ReadBytes(argv[i]);
        if (data.empty() || data.size() > payload::kExpansionBufferSize) {
            std::fprintf(stderr, "%s: missing, empty or larger than the expansion buffer\n",
                         argv[i]);
            return 1;
        }
        const char* base = std::strrchr(argv[i], '\\');
        Measure(base ? base + 1 : argv[i], data, runs);
    }
    return 0;
}
