// The compressed-file format of the payload: "SZDD" files in mode "A", an LZSS code over a
// 4,096-byte ring. Portable C++: no platform headers, no file access, memory in and memory out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace szdd {

// Size of the complete file's header: eight signature bytes, mode, missing character, size.
constexpr std::size_t kHeaderSize = 14;
constexpr std::size_t kRingSize = 4096;
// The ring's write position starts 16 bytes before its end, not at 0.
constexpr std::size_t kRingStart = kRingSize - 16;
constexpr std::size_t kMinMatch = 3;
constexpr std::size_t kMaxMatch = 18;
constexpr std::uint8_t kModeA = 0x41;
extern const std::uint8_t kSignature[8];

enum class Status {
    ok,
    badSignature, // the eight signature bytes are wrong, or the header is incomplete
    badMode,      // a mode other than "A"
    truncated,    // the stream ended in the middle of an item
    tooLong,      // the stream produces more bytes than the header's expanded size
    tooShort,     // the stream ends before it has produced the header's expanded size
    tooLarge,     // the header's expanded size exceeds the caller's limit
};

const char* StatusText(Status status);

struct Header {
    std::uint8_t missingChar = 0;
    std::uint32_t expandedSize = 0;
};

// Reads the header of a complete compressed file.
Status ReadHeader(const std::uint8_t* file, std::size_t size, Header& header);

// Expands a complete compressed file. The output must come out at exactly the header's
// expanded size; files declaring more than `limit` bytes are refused before anything is
// decoded. Never reads or writes outside the given buffers.
Status Expand(const std::uint8_t* file, std::size_t size, std::vector<std::uint8_t>& out,
              std::size_t limit = SIZE_MAX);

// Compresses `size` bytes into a complete compressed file (header and stream), the smallest
// that the format allows.
std::vector<std::uint8_t> Compress(const std::uint8_t* data, std::size_t size,
                                   std::uint8_t missingChar = 0);

} // namespace szdd
