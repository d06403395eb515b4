#include "Szdd.h"

#include <cstring>

namespace szdd {

const std::uint8_t kSignature[8] = {0x53, 0x5A, 0x44, 0x44, 0x88, 0xF0, 0x27, 0x33};

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
        return "stream expands to more than the header's size";
    case Status::tooShort:
        return "stream expands to less than the header's size";
    case Status::tooLarge:
        return "expanded size exceeds the limit";
    }
    return "unknown status";
}

static std::uint32_t ReadLe32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}

Status ReadHeader(const std::uint8_t* file, std::size_t size, Header& header) {
    if (size < kHeaderSize || std::memcmp(file, kSignature, sizeof kSignature) != 0)
        return Status::badSignature;
    if (file[8] != kModeA)
        return Status::badMode;
    header.missingChar = file[9];
    header.expandedSize = ReadLe32(file + 10);
    return Status::ok;
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
    out.resize(header.expandedSize);

    std::uint8_t ring[kRingSize];
    std::memset(ring, 0x20, sizeof ring);
    std::size_t pos = kRingStart;
    const std::uint8_t* in = file + kHeaderSize;
    const std::uint8_t* end = file + size;
    std::size_t produced = 0;
    const std::size_t expected = header.expandedSize;

    while (in < end) {
        unsigned flags = *in++;
        for (int bit = 0; bit < 8 && in < end; ++bit, flags >>= 1) {
            if (flags & 1) {
                if (produced == expected)
                    return Status::tooLong;
                out[produced++] = ring[pos] = *in++;
                pos = (pos + 1) & (kRingSize - 1);
            } else {
                if (end - in < 2)
                    return Status::truncated;
                std::size_t src = in[0] | std::size_t(in[1] >> 4) << 8;
                std::size_t len = (in[1] & 0x0F) + kMinMatch;
                in += 2;
                if (expected - produced < len)
                    return Status::tooLong;
                for (std::size_t k = 0; k < len; ++k) {
                    out[produced++] = ring[pos] = ring[src];
                    pos = (pos + 1) & (kRingSize - 1);
                    src = (src + 1) & (kRingSize - 1);
                }
            }
        }
    }
    if (produced != expected)
        return Status::tooShort;
    return Status::ok;
}

std::vector<std::uint8_t> Compress(const std::uint8_t* data, std::size_t size,
                                   std::uint8_t missingChar) {
    std::vector<std::uint8_t> out(kSignature, kSignature + sizeof kSignature);
    out.push_back(kModeA);
    out.push_back(missingChar);
    for (int i = 0; i < 4; ++i)
        out.push_back(std::uint8_t(std::uint32_t(size) >> (8 * i)));
    // Literals only, for now: eight per flag byte.
    for (std::size_t i = 0; i < size; i += 8) {
        std::size_t n = size - i < 8 ? size - i : 8;
        out.push_back(std::uint8_t((1u << n) - 1));
        out.insert(out.end(), data + i, data + i + n);
    }
    return out;
}

} // namespace szdd
