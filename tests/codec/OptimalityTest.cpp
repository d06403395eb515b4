// The encoder against slow references: every position's longest match by trying every
// distance, and the smallest stream by trying every parse over a simulated ring.
#include "MatchFinder.h"
#include "Szdd.h"
#include "TestData.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using testdata::Bytes;
using testdata::Kind;

// Longest match at i over every distance 1 to 4,096, with the input preceded by 4,096
// spaces when `spaces` is set.
std::size_t BruteForceLongest(const Bytes& data, std::size_t i, bool spaces) {
    auto at = [&](std::ptrdiff_t k) { return k < 0 ? std::uint8_t(0x20) : data[std::size_t(k)]; };
    const std::size_t limit = std::min<std::size_t>(18, data.size() - i);
    std::size_t best = 0;
    for (std::size_t d = 1; d <= 4096 && (spaces || d <= i); ++d) {
        std::size_t n = 0;
        while (n < limit && at(std::ptrdiff_t(i + n) - std::ptrdiff_t(d)) == data[i + n])
            ++n;
        best = std::max(best, n);
    }
    return best >= 3 ? best : 0;
}

void ExpectExactMatches(const Bytes& data, bool spaces, std::size_t from, std::size_t to) {
    const std::vector<szdd::Match> matches =
        szdd::FindLongestMatches(data.data(), data.size(), spaces);
    ASSERT_EQ(matches.size(), data.size());
    for (std::size_t i = from; i < to; ++i) {
        const szdd::Match m = matches[i];
        ASSERT_EQ(m.length, BruteForceLongest(data, i, spaces)) << "at " << i;
        if (m.length == 0)
            continue;
        // The reported distance really yields that length.
        ASSERT_TRUE(m.distance >= 1 && m.distance <= 4096 && (spaces || m.distance <= i)) << i;
        for (std::size_t n = 0; n < m.length; ++n) {
            const std::ptrdiff_t k = std::ptrdiff_t(i + n) - m.distance;
            ASSERT_EQ(k < 0 ? 0x20 : data[std::size_t(k)], data[i + n]) << i;
        }
    }
}

TEST(MatchFinder, ExactAtEveryPosition) {
    for (Kind kind : {Kind::random, Kind::fewSymbols, Kind::runs, Kind::periodic, Kind::structured})
        for (bool spaces : {true, false}) {
            SCOPED_TRACE(testing::Message() << testdata::KindName(kind) << " spaces " << spaces);
            const Bytes data = testdata::Make(kind, 9000, 21);
            ExpectExactMatches(data, spaces, 0, data.size());
        }
}

// A string recurring exactly 4,096 bytes later can be copied; one 4,097 bytes later cannot.
TEST(MatchFinder, WindowEdge) {
    Bytes data = testdata::Make(Kind::random, 9000, 2);
    const Bytes inReach = testdata::FromString("window-edge-marker");
    const Bytes outOfReach = testdata::FromString("out-of-reach-mark!");
    std::copy(inReach.begin(), inReach.end(), data.begin() + 100);
    std::copy(inReach.begin(), inReach.end(), data.begin() + 100 + 4096);
    std::copy(outOfReach.begin(), outOfReach.end(), data.begin() + 300);
    std::copy(outOfReach.begin(), outOfReach.end(), data.begin() + 300 + 4097);
    const auto matches = szdd::FindLongestMatches(data.data(), data.size(), true);
    EXPECT_EQ(matches[100 + 4096].length, 18);
    EXPECT_EQ(matches[100 + 4096].distance, 4096);
    EXPECT_LT(matches[300 + 4097].length, 18);
    ExpectExactMatches(data, true, 4000, 4500);
}

// Positions around the boundary between two independently searched segments.
TEST(MatchFinder, ExactAcrossSegments) {
    const Bytes data = testdata::Make(Kind::structured, 270000, 8);
    ExpectExactMatches(data, true, (1 << 18) - 3000, (1 << 18) + 3000);
}

// Smallest stream size over every parse of `data`, where the items possible at each position
// come from simulating the ring (spaces, write position 4,080) against every source.
class ExhaustiveParser {
public:
    ExhaustiveParser(const Bytes& data, bool spaces) : m_data(data) {
        // After literals for data[0, i), the ring holds exactly those bytes.
        for (std::size_t i = 0; i < data.size(); ++i)
            m_longest.push_back(LongestFromRing(i, spaces));
    }

    std::size_t SmallestStream() {
        m_best = SIZE_MAX;
        Walk(0, 0);
        return (m_best + 7) / 8;
    }

private:
    std::size_t LongestFromRing(std::size_t i, bool spaces) const {
        std::size_t best = 0;
        for (std::size_t source = 0; source < 4096; ++source) {
            std::uint8_t ring[4096];
            bool written[4096] = {};
            std::fill(ring, ring + 4096, std::uint8_t(0x20));
            std::size_t pos = 4080;
            for (std::size_t k = 0; k < i; ++k, pos = (pos + 1) % 4096) {
                ring[pos] = m_data[k];
                written[pos] = true;
            }
            std::size_t n = 0, src = source;
            while (i + n < m_data.size() && n < 18) {
                if (!spaces && !written[src])
                    break;
                if (ring[src] != m_data[i + n])
                    break;
                ring[pos] = ring[src];
                written[pos] = true;
                pos = (pos + 1) % 4096;
                src = (src + 1) % 4096;
                ++n;
            }
            best = std::max(best, n);
        }
        return best;
    }

    void Walk(std::size_t i, std::size_t bits) {
        if (i == m_data.size()) {
            m_best = std::min(m_best, bits);
            return;
        }
        Walk(i + 1, bits + 9);
        for (std::size_t length = 3; length <= m_longest[i]; ++length)
            Walk(i + length, bits + 17);
    }

    const Bytes& m_data;
    std::vector<std::size_t> m_longest;
    std::size_t m_best = SIZE_MAX;
};

TEST(Optimality, SmallInputsMatchExhaustiveSearch) {
    const std::uint8_t alphabet[] = {'a', 'b', ' '};
    int withMatches = 0;
    for (std::size_t n = 1; n <= 13; ++n)
        for (unsigned seed = 0; seed < 8; ++seed) {
            std::mt19937 rng(unsigned(n * 100 + seed));
            Bytes data(n);
            for (auto& b : data)
                b = alphabet[rng() % (seed < 4 ? 2 : 3)];
            for (bool spaces : {true, false}) {
                SCOPED_TRACE(testing::Message()
                             << "size " << n << " seed " << seed << " spaces " << spaces);
                szdd::CompressOptions options;
                options.useInitialSpaces = spaces;
                Bytes file;
                ASSERT_EQ(szdd::Compress(data.data(), data.size(), file, options),
                          szdd::Status::ok);
                const std::size_t smallest = ExhaustiveParser(data, spaces).SmallestStream();
                EXPECT_EQ(file.size() - szdd::kHeaderSize, smallest);
                EXPECT_EQ(testdata::RingExpand(file), data);
                withMatches += smallest < n + (n + 7) / 8;
            }
        }
    EXPECT_GT(withMatches, 50);
}

} // namespace
