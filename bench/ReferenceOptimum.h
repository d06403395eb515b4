// The smallest stream size that the format allows for an input, computed independently of
// the encoder: longest matches by walking hash chains over every candidate of the window
// (slower, but a different search than the encoder's trees), then the shortest path.
#pragma once

#include <cstddef>
#include <cstdint>

namespace bench {

// Size in bytes of the smallest complete compressed file (header included) for `data`, with
// matches allowed to copy from the ring's initial spaces.
std::size_t OptimalFileSize(const std::uint8_t* data, std::size_t size);

} // namespace bench
