#include "Szdd.h"

#include <cstring>

#include "ByteOrder.h"

namespace szdd {

const char* StatusText(Status status) {
    switch (status) {
    case Status::ok:
        return "ok";
    case Status::badSignature:
        return "not a compressed file (bad signature)";
    case Status::badMode:
        return "unknown compression mode";
    case Status::truncated:
        return "compressed stream is truncated";
    case Status::tooLong:
        return "stream goes on past the header's expanded size";
    case Status::tooShort:
        return "stream expands to less than the header's size";
    case Status::tooLarge:
        return "expanded size exceeds the limit";
    }
    return "unknown status";
}

Status ReadHeader(const std::uint8_t* file, std::size_t size, Header& header) {
    if (size < kHeaderSize || std::memcmp(file, kSignature, sizeof kSignature) != 0)
        return Status::badSignature;
    if (file[8] != kModeA)
        return Status::badMode;
    header.missingChar = file[9];
    header.expandedSize = bytes::Get32(file + 10);
    return Status::ok;
}

// A ring position and the output byte that is written there are tied together: output byte
// i goes to (kRingStart + i) mod 4096. Before byte i is written, ring position q therefore
// holds the byte written d = (kRingStart + i - q) mod 4096 bytes earlier (d = 0 standing for
// 4,096), or the initial space if the output is shorter than d. A match copying from q is
// thus a copy from d bytes back that keeps the same d for every byte it copies, even when it
// runs over bytes it has just produced. The expander works on the output that way instead
// of keeping a ring; the encoder (SzddEncoder.cpp) turns distances back into positions.
static std::size_t DistanceOf(std::size_t source, std::size_t produced) {
    return ((kRingStart + produced - source - 1) & (kRingSize - 1)) + 1;
}

Status Expand(const std::uint8_t* file, std::size_t size, std::vector<std::uint8_t>& out,
              std::size_t limit) {
    out.clear();
    Header header;
    Status status = ReadHeader(file, size, header);
    if (status != Status::ok)
        return status;
    if (header.expandedSize > limit)
        return Status::tooLarge;

    const std::uint8_t* in = file + kHeaderSize;
    const std::uint8_t* const end = file + size;
    // No input byte yields more than nine output bytes (a two-byte match gives at most 18),
    // so a header claiming more than that cannot make the output buffer grow past it: the
    // stream ends first, and that is reported as too short.
    const std::size_t streamSize = size - kHeaderSize;
    const std::size_t capacity =
        streamSize > header.expandedSize / 9 ? header.expandedSize : streamSize * 9;
    out.resize(capacity);
    std::uint8_t* const o = out.data();
    std::size_t produced = 0;

    while (in < end) {
        if (produced == capacity) {
            status = Status::tooLong;
            break;
        }
        unsigned flags = *in++;
        for (int bit = 0; bit < 8 && in < end; ++bit, flags >>= 1) {
            if (produced == capacity) {
                status = Status::tooLong;
                break;
            }
            if (flags & 1) {
                o[produced++] = *in++;
                continue;
            }
            if (end - in < 2) {
                status = Status::truncated;
                break;
            }
            const std::size_t source = in[0] | std::size_t(in[1] >> 4) << 8;
            const std::size_t length = (in[1] & 0x0F) + kMinMatch;
            in += 2;
            if (capacity - produced < length) {
                status = Status::tooLong;
                break;
            }
            const std::size_t distance = DistanceOf(source, produced);
            if (distance > produced) {
                // Reaches into the ring's initial content, at least for its first bytes.
                for (std::size_t k = 0; k < length; ++k, ++produced)
                    o[produced] = produced >= distance ? o[produced - distance] : kRingFill;
                continue;
            }
            std::uint8_t* const dst = o + produced;
            const std::uint8_t* const src = dst - distance; // not before o: distance <= produced
            if (distance >= length) {
                std::memcpy(dst, src, length);
            } else {
                // Overlaps its own output: byte by byte, each copy seeing the previous one.
                for (std::size_t k = 0; k < length; ++k)
                    dst[k] = src[k];
            }
            produced += length;
        }
        if (status != Status::ok)
            break;
    }
    if (status == Status::ok && produced != header.expandedSize)
        status = Status::tooShort;
    out.resize(produced);
    return status;
}

} // namespace szdd
