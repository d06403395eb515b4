#include "Parser.h"

#include <limits>

namespace szdd {

namespace {

// cost[i]: bits of the cheapest stream for the input from i to its end; choice[i]: the
// length of that stream's first item. Filled from the end backwards, then read forwards.
template <typename Cost> std::vector<std::uint8_t> Shortest(const std::vector<Match>& matches) {
    const std::size_t size = matches.size();
    std::vector<Cost> cost(size + 1);
    std::vector<std::uint8_t> choice(size);
    cost[size] = 0;
    for (std::size_t i = size; i-- > 0;) {
        Cost best = Cost(cost[i + 1] + kLiteralBits);
        std::uint8_t bestLength = 1;
        // Longest first, so that among equal costs the stream has the fewest items.
        for (std::size_t length = matches[i].length; length >= 3; --length) {
            const Cost c = Cost(cost[i + length] + kMatchBits);
            if (c < best) {
                best = c;
                bestLength = std::uint8_t(length);
            }
        }
        cost[i] = best;
        choice[i] = bestLength;
    }

    std::vector<std::uint8_t> items;
    for (std::size_t i = 0; i < size; i += choice[i])
        items.push_back(choice[i]);
    return items;
}

} // namespace

std::vector<std::uint8_t> ParseShortest(const std::vector<Match>& matches) {
    // No stream costs more than a literal per byte; narrow costs are faster where they fit.
    if (matches.size() < std::numeric_limits<std::uint32_t>::max() / kLiteralBits)
        return Shortest<std::uint32_t>(matches);
    return Shortest<std::uint64_t>(matches);
}

} // namespace szdd
