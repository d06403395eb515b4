#include "Szdd.h"

#include <gtest/gtest.h>

#include <random>

namespace {

std::vector<std::uint8_t> RandomBytes(std::size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<std::uint8_t> v(n);
    for (auto& b : v)
        b = std::uint8_t(rng() % 7); // few symbols: many matches
    return v;
}

TEST(SzddRoundTrip, EdgeSizes) {
    for (std::size_t n : {0, 1, 2, 3, 15, 16, 17, 18, 19, 4096}) {
        auto data = RandomBytes(n, unsigned(n));
        auto packed = szdd::Compress(data.data(), data.size());
        std::vector<std::uint8_t> out;
        ASSERT_EQ(szdd::Expand(packed.data(), packed.size(), out), szdd::Status::ok) << n;
        EXPECT_EQ(out, data) << n;
    }
}

} // namespace
