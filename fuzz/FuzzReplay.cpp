// Runs a fuzzer's entry point over every file of the given folders: the committed corpus
// replayed as an ordinary test, in builds without libFuzzer.
#include <cstdint>
#include <cstdio>
#include <dirent.h>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv) {
    std::size_t count = 0;
    for (int i = 1; i < argc; ++i) {
        DIR* dir = opendir(argv[i]);
        if (!dir) {
            std::fprintf(stderr, "fuzz replay: cannot open %s\n", argv[i]);
            return 1;
        }
        while (dirent* e = readdir(dir)) {
            const std::string name = e->d_name;
            if (name == "." || name == "..")
                continue;
            std::ifstream f(std::string(argv[i]) + "/" + name, std::ios::binary);
            const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(f),
                                                  std::istreambuf_iterator<char>()};
            LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
            ++count;
        }
        closedir(dir);
    }
    if (count == 0) {
        std::fprintf(stderr, "fuzz replay: no inputs\n");
        return 1;
    }
    std::printf("fuzz replay: %zu inputs\n", count);
    return 0;
}
