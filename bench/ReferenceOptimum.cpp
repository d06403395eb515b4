#include "ReferenceOptimum.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace bench {

std::size_t OptimalFileSize(const std::uint8_t* data, std::size_t size) {
    constexpr std::size_t kWindow = 4096, kMax = 18, kPrefix = 4096, kHeader = 14;
    constexpr std::uint32_t kNone = 0xFFFFFFFF;
    std::vector<std::uint8_t> buffer(kPrefix + size + 2, 0);
    std::memset(buffer.data(), 0x20, kPrefix);
    std::memcpy(buffer.data() + kPrefix, data, size);

    // Chains of earlier positions with the same three bytes, newest first.
    std::vector<std::uint32_t> head(1 << 24, kNone), previous(buffer.size(), kNone);
    auto key = [&](std::size_t p) {
        return std::uint32_t(buffer[p]) | std::uint32_t(buffer[p + 1]) << 8 |
               std::uint32_t(buffer[p + 2]) << 16;
    };
    std::vector<std::uint8_t> longest(size);
    for (std::size_t p = 0; p < kPrefix + size; ++p) {
        const std::uint32_t k = key(p);
        if (p >= kPrefix) {
            const std::size_t i = p - kPrefix;
            const std::size_t limit = std::min(kMax, size - i);
            std::size_t best = 0;
            for (std::uint32_t c = head[k]; c != kNone && p - c <= kWindow && best < limit;
                 c = previous[c]) {
                std::size_t n = 0;
                while (n < limit && buffer[c + n] == buffer[p + n])
                    ++n;
                best = std::max(best, n);
            }
            longest[i] = std::uint8_t(best >= 3 ? best : 0);
        }
        previous[p] = head[k];
        head[k] = std::uint32_t(p);
    }

    // Literal 9 bits, match 17 bits, whatever its length or source.
    std::vector<std::uint64_t> bits(size + 1, 0);
    for (std::size_t i = size; i-- > 0;) {
        std::uint64_t best = bits[i + 1] + 9;
        for (std::size_t n = 3; n <= longest[i]; ++n)
            best = std::min(best, bits[i + n] + 17);
        bits[i] = best;
    }
    return kHeader + std::size_t((bits[0] + 7) / 8);
}

} // namespace bench
