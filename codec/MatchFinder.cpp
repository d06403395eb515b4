#include "MatchFinder.h"

#include "Szdd.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <thread>

namespace szdd {

namespace {

// A binary search tree over the positions of the window, one tree per hash of the first
// three bytes, ordered by the 18 bytes that start at each position. Every insertion makes the
// new position the root of its tree and splits the old tree below it, so each node is newer
// than everything beneath it: the first node found outside the window ends the search, and
// its whole subtree with it. The longest match of the new position is always on the path the
// insertion walks, because the positions closest to it in the tree's order lie on that path.
class BinaryTreeFinder {
public:
    explicit BinaryTreeFinder(const std::uint8_t* buffer)
        : m_buffer(buffer), m_heads(kHashSize, kNil), m_children(2 * kCyclicSize, kNil) {}

    // Inserts position `pos` and returns its longest match among older positions of the
    // window, compared over kMaxMatch bytes.
    Match Insert(std::uint32_t pos) {
        const std::uint8_t* const current = m_buffer + pos;
        const std::uint32_t hash = Hash(current);
        std::uint32_t candidate = m_heads[hash];
        m_heads[hash] = pos;

        // Where the next node smaller (left) or greater (right) than `pos` is attached.
        std::uint32_t* left = &m_children[2 * (pos & kCyclicMask)];
        std::uint32_t* right = left + 1;
        std::size_t leftLength = 0, rightLength = 0;
        Match best;
        for (;;) {
            if (candidate == kNil || pos - candidate > kWindowSize) {
                *left = *right = kNil;
                break;
            }
            const std::uint8_t* const other = m_buffer + candidate;
            // Every node below this point shares at least this prefix with `pos`.
            std::size_t length = std::min(leftLength, rightLength);
            while (length < kMaxMatch && other[length] == current[length])
                ++length;
            if (length > best.length) {
                best.length = std::uint8_t(length);
                best.distance = std::uint16_t(pos - candidate);
            }
            std::uint32_t* const pair = &m_children[2 * (candidate & kCyclicMask)];
            if (length == kMaxMatch) {
                // Equal as far as the tree orders: `pos` takes the older node's place.
                *left = pair[0];
                *right = pair[1];
                break;
            }
            if (other[length] < current[length]) {
                *left = candidate;
                left = &pair[1];
                candidate = *left;
                leftLength = length;
            } else {
                *right = candidate;
                right = &pair[0];
                candidate = *right;
                rightLength = length;
            }
        }
        return best;
    }

private:
    static constexpr std::uint32_t kNil = 0xFFFFFFFF;
    static constexpr int kHashBits = 16;
    static constexpr std::size_t kHashSize = std::size_t(1) << kHashBits;
    // Holds the window and the position being inserted without wrapping onto either.
    static constexpr std::uint32_t kCyclicSize = 2 * kWindowSize;
    static constexpr std::uint32_t kCyclicMask = kCyclicSize - 1;

    static std::uint32_t Hash(const std::uint8_t* p) {
        const std::uint32_t key =
            std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16;
        return (key * 2654435761u) >> (32 - kHashBits);
    }

    const std::uint8_t* m_buffer;
    std::vector<std::uint32_t> m_heads;
    std::vector<std::uint32_t> m_children; // left and right child of each window slot
};

} // namespace

// The input is cut into segments of a fixed size that are searched independently, each by
// a tree primed with the window before the segment. A position's longest match depends only
// on the window before it, so the lengths are exact, and since the cut does not depend on the
// number of threads, neither does any distance found: the output is the same everywhere.
constexpr std::size_t kSegmentSize = std::size_t(1) << 18;

static void FindInSegment(const std::uint8_t* buffer, std::size_t prefix, std::size_t size,
                          std::size_t start, Match* matches) {
    const std::size_t end = std::min(size, start + kSegmentSize);
    // Positions count from the window before the segment, so they stay small.
    const std::size_t first = prefix + start;
    const std::size_t base = first > kWindowSize ? first - kWindowSize : 0;
    BinaryTreeFinder finder(buffer + base);
    for (std::size_t pos = base; pos < first; ++pos)
        finder.Insert(std::uint32_t(pos - base));
    for (std::size_t i = start; i < end; ++i) {
        Match match = finder.Insert(std::uint32_t(prefix + i - base));
        const std::size_t left = size - i;
        if (match.length > left)
            match.length = std::uint8_t(left);
        if (match.length < kMinMatch)
            match = Match();
        matches[i] = match;
    }
}

std::vector<Match> FindLongestMatches(const std::uint8_t* data, std::size_t size,
                                      bool initialSpaces, unsigned threads) {
    std::vector<Match> matches(size);
    if (size == 0)
        return matches;
    // The tree compares kMaxMatch bytes at every position, so the input is followed by that
    // many padding bytes; a match found there is cut back to the input's end. Cutting is
    // exact: a source lies before the position it serves, so up to the input's end both
    // strings consist of input bytes.
    const std::size_t prefix = initialSpaces ? kWindowSize : 0;
    std::vector<std::uint8_t> buffer(prefix + size + kMaxMatch, 0);
    std::memset(buffer.data(), kRingFill, prefix);
    std::memcpy(buffer.data() + prefix, data, size);

    const std::size_t segments = (size + kSegmentSize - 1) / kSegmentSize;
    if (threads == 0)
        threads = std::max(1u, std::thread::hardware_concurrency());
    threads = unsigned(std::min<std::size_t>(threads, segments));
    std::atomic<std::size_t> next(0);
    auto work = [&] {
        for (std::size_t s; (s = next++) < segments;)
            FindInSegment(buffer.data(), prefix, size, s * kSegmentSize, matches.data());
    };
    std::vector<std::thread> helpers;
    for (unsigned t = 1; t < threads; ++t)
        helpers.emplace_back(work);
    work();
    for (std::thread& helper : helpers)
        helper.join();
    return matches;
}

} // namespace szdd
