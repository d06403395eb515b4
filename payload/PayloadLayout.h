// The payload's layout: entries of a 32-bit little-endian body length N followed by N bytes
// (a complete compressed file without the first four signature bytes), then four zero bytes.
// Portable C++: shared by the packer and the installer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "Szdd.h"

namespace payload {

// Integer name and type of the resource that carries the payload.
constexpr unsigned kResourceId = 129;
constexpr unsigned kResourceType = 10; // RT_RCDATA
constexpr unsigned kResourceLanguage = 1033;

// No file of the payload may expand to more than this many bytes: the installer expands each
// into one buffer of this size.
constexpr std::uint32_t kMaxExpandedSize = 2000000;

// Target names, in payload order: entry i becomes kFileList[i].
constexpr int kFileCount = 4;
extern const char* const kFileList[kFileCount];

// The four signature bytes ("SZDD") that a body does not store; the expansion writes them back.
inline constexpr std::uint8_t kSignaturePrefix[4] = {szdd::kSignature[0], szdd::kSignature[1],
                                                     szdd::kSignature[2], szdd::kSignature[3]};

struct Entry {
    const std::uint8_t* body = nullptr;
    std::uint32_t length = 0; // N
    std::size_t offset = 0;   // of the entry's length field, from the payload's first byte
};

enum class Step {
    entry,     // `entry` describes the next entry
    end,       // the end marker
    truncated, // a length field or a body runs past the end of the payload
};

// Walks a payload from its first byte, never reading outside [data, data + size).
class Cursor {
public:
    Cursor(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}

    // Reads the entry at the cursor and moves past it.
    Step Next(Entry& entry);

    std::size_t Offset() const { return m_offset; }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_offset = 0;
};

// Builds a payload from complete compressed files (each starting with the full eight-byte
// signature): their bodies in order, then the end marker. A file of four bytes or less has
// no body to store (its length would read as the end marker): the result is then empty,
// which no valid payload is.
std::vector<std::uint8_t> Build(const std::vector<std::vector<std::uint8_t>>& compressedFiles);

// The complete compressed file that a body stands for: the signature prefix, then the body.
std::vector<std::uint8_t> CompleteFile(const Entry& entry);

} // namespace payload
