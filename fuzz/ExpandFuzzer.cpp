// The expander on arbitrary files, against the naive ring expander of the tests: whatever it
// decodes agrees with it byte for byte, and success means exactly the header's size.
#include "Szdd.h"
#include "../tests/codec/TestData.h"

#include <algorithm>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Anything but a compressed file is taken as a stream and given a valid header claiming
    // what the reference expands from it, so that the stream itself gets explored.
    testdata::Bytes file(data, data + size);
    if (size < 4 || std::memcmp(data, szdd::kSignature, 4) != 0) {
        file = testdata::FileWithStream(file, 0);
        const std::size_t expected = testdata::RingExpand(file).size();
        file =
            testdata::FileWithStream(testdata::Bytes(data, data + size), std::uint32_t(expected));
    }
    std::vector<std::uint8_t> out;
    const szdd::Status status = szdd::Expand(file.data(), file.size(), out, 1 << 24);
    szdd::Header header;
    if (status == szdd::Status::ok) {
        if (szdd::ReadHeader(file.data(), file.size(), header) != szdd::Status::ok ||
            out.size() != header.expandedSize || out != testdata::RingExpand(file))
            __builtin_trap();
    } else if (szdd::ReadHeader(file.data(), file.size(), header) == szdd::Status::ok) {
        const testdata::Bytes reference = testdata::RingExpand(file);
        if (out.size() > reference.size() || !std::equal(out.begin(), out.end(), reference.begin()))
            __builtin_trap();
    }
    return 0;
}
