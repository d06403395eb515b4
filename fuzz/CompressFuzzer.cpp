// The encoder on arbitrary input: the file expands back to it, with and without the ring's
// initial spaces, and is never larger than literals alone.
#include "Szdd.h"

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    for (bool spaces : {true, false}) {
        szdd::CompressOptions options;
        options.useInitialSpaces = spaces;
        options.threads = 1;
        std::vector<std::uint8_t> file, out;
        if (szdd::Compress(data, size, file, options) != szdd::Status::ok ||
            file.size() > szdd::kHeaderSize + size + (size + 7) / 8 ||
            szdd::Expand(file.data(), file.size(), out) != szdd::Status::ok ||
            out != std::vector<std::uint8_t>(data, data + size))
            __builtin_trap();
    }
    return 0;
}
