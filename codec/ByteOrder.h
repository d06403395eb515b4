// Little-endian 16- and 32-bit fields, as the compressed format, the payload and the PE format
// all store them.
#pragma once

#include <cstdint>

namespace bytes {

inline std::uint32_t Get16(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8;
}

inline std::uint32_t Get32(const std::uint8_t* p) {
    return Get16(p) | Get16(p + 2) << 16;
}

inline void Put16(std::uint8_t* p, std::uint32_t value) {
    p[0] = std::uint8_t(value);
    p[1] = std::uint8_t(value >> 8);
}

inline void Put32(std::uint8_t* p, std::uint32_t value) {
    Put16(p, value);
    Put16(p + 2, value >> 16);
}

} // namespace bytes
