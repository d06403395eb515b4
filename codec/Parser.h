// The cheapest sequence of items for an input, given its longest match at every position.
// Portable C++, independent of how the matches were found.
#pragma once

#include "MatchFinder.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace szdd {

// What an item costs in the stream: its flag bit and its bytes.
constexpr unsigned kLiteralBits = 1 + 8;
constexpr unsigned kMatchBits = 1 + 16;

// Returns the item lengths of a cheapest stream, in order: 1 for a literal, 3 to 18 for a
// match (which copies from matches[i].distance back, i being where the item starts). Since
// a match's cost does not depend on its length or source, and any shorter prefix of a match
// is a match too, a shortest path over the choices "literal, or match of 3 to the longest
// length" at every position gives the smallest stream that exists.
std::vector<std::uint8_t> ParseShortest(const std::vector<Match>& matches);

} // namespace szdd
