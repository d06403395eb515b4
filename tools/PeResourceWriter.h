// Puts a resource into a Windows executable (PE32 or PE32+) held in memory, without the
// platform: the resource directory is read in full, changed and written again as the image's
// resource section, and every header field that depends on that section follows. Portable C++.
#pragma once

#include <cstdint>
#include <vector>

#include "PeImage.h"

namespace pe {

// Makes `out` a copy of `image` in which resource `type`/`name` (integer ids) has exactly one
// version, in `language`, holding `data`; any versions it had are dropped, every other
// resource stays as it was. The resource section is rewritten where it lies (or added as the
// last section when the image has none); the sections after it move with it, which is only
// done when they are discardable or the base relocations, and refused otherwise. The section
// sizes, the resource, relocation and debug directories, SizeOfImage, SizeOfInitializedData,
// the symbol table's place and the checksum (when the image has one) are brought up to date.
// A signed image is refused: its signature would no longer match. The resource section is
// laid out the same way whatever its old layout, so putting a resource into a result gives
// the bytes that putting it into the original gives. The result is read back before it is
// returned (an internal error when it does not read as intended); on failure `out` is empty.
Error PutResource(const std::vector<std::uint8_t>& image, unsigned type, unsigned name,
                  unsigned language, const std::vector<std::uint8_t>& data,
                  std::vector<std::uint8_t>& out);

} // namespace pe
