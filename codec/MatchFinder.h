// Longest matches for the compressed format's ring: for every position of an input, the
// longest string (3 to 18 bytes) that the ring can copy there, and how far back it starts.
// Portable C++: memory in, memory out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace szdd {

// The window a match may reach: the last 4,096 bytes before the current one.
constexpr std::uint32_t kWindowSize = 4096;

struct Match {
    std::uint8_t length = 0;    // 0 when no match of at least 3 bytes exists, else 3 to 18
    std::uint16_t distance = 0; // 1 to 4,096: the match copies from `distance` bytes back
};

// Finds, at every position i of `data`, the longest match that starts there and ends within
// the input, among all sources 1 to 4,096 bytes back. With `initialSpaces`, the input counts
// as preceded by 4,096 spaces (the ring's content before anything is written), so matches
// may copy from there; without it, sources lie inside the input. A match may overlap the
// bytes it produces (distance shorter than length). Exact: no candidate is ever skipped.
// Large inputs are searched by up to `threads` threads (0: one per processor); the result
// does not depend on their number.
std::vector<Match> FindLongestMatches(const std::uint8_t* data, std::size_t size,
                                      bool initialSpaces, unsigned threads = 0);

} // namespace szdd
