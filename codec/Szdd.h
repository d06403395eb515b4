// The compressed-file format of the payload: "SZDD" files in mode "A", an LZSS code over a
// 4,096-byte ring. Portable C++: no platform headers, no file access, memory in and memory out.
//
// Stream: a flag byte describes the next (up to) eight items from its bit 0 upwards. Bit 1:
// a literal byte. Bit 0: a match of two bytes b0, b1 that copies (b1 & 0x0F) + 3 bytes from
// the absolute ring position b0 + 256 * (b1 >> 4), one byte at a time. Every output byte is
// also stored at the ring's write position, which then advances and wraps.
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
// What the ring holds before anything is written.
constexpr std::uint8_t kRingFill = 0x20;
constexpr std::size_t kMinMatch = 3;
constexpr std::size_t kMaxMatch = 18;
constexpr std::uint8_t kModeA = 0x41;
// The header's expanded size is a 32-bit field.
constexpr std::uint64_t kMaxExpandedSize = 0xFFFFFFFF;
// "SZDD" and four bytes more.
inline constexpr std::uint8_t kSignature[8] = {0x53, 0x5A, 0x44, 0x44, 0x88, 0xF0, 0x27, 0x33};

enum class Status {
    ok,
    badSignature, // the eight signature bytes are wrong, or the header is incomplete
    badMode,      // a mode other than "A"
    truncated,    // the stream ended in the middle of an item
    tooLong,      // the stream goes on after producing the header's expanded size
    tooShort,     // the stream ends before it has produced the header's expanded size
    tooLarge,     // the expanded size exceeds the caller's limit (or the format's, when
                  // compressing)
};

const char* StatusText(Status status);

struct Header {
    std::uint8_t missingChar = 0;
    std::uint32_t expandedSize = 0;
};

// Reads the header of a complete compressed file.
Status ReadHeader(const std::uint8_t* file, std::size_t size, Header& header);

// Expands a complete compressed file. The output must come out at exactly the header's
// expanded size, and the stream must end with the item that completes it; files declaring
// more than `limit` bytes are refused before anything is decoded. Never reads or writes
// outside the given buffers, and allocates no more than the stream can produce. On failure
// `out` holds what was decoded before the fault.
Status Expand(const std::uint8_t* file, std::size_t size, std::vector<std::uint8_t>& out,
              std::size_t limit = SIZE_MAX);

struct CompressOptions {
    std::uint8_t missingChar = 0;
    // Let matches copy from the ring's initial spaces, which every expander of the format
    // starts with; off, matches copy only bytes of the input.
    bool useInitialSpaces = true;
    // Threads searching for matches (0: one per processor). The output does not depend on it.
    unsigned threads = 0;
};

// Compresses `size` bytes into a complete compressed file (header and stream), the smallest
// that the format allows: nothing follows the last item. Inputs over kMaxExpandedSize bytes
// give tooLarge.
Status Compress(const std::uint8_t* data, std::size_t size, std::vector<std::uint8_t>& out,
                const CompressOptions& options = CompressOptions());

// As above; returns the file, or an empty vector (never a valid file) for an input over
// kMaxExpandedSize bytes.
std::vector<std::uint8_t> Compress(const std::uint8_t* data, std::size_t size,
                                   std::uint8_t missingChar = 0);

} // namespace szdd
