// The installation's files: the payload expanded into the installation folder
// (payload/Expansion.h), and, when that fails, the one message box that tells the user what
// went wrong, an OK box with the exclamation icon.
#pragma once

#include <cstddef>
#include <cstdint>

#include "CString.h"

namespace app {

// Expands the payload that the installer carries into `folder` (no trailing backslash). True
// on success; on failure shows the message and returns false.
bool ExpandPayload(const CString& folder);

// The same over a payload in memory: `size` bytes from `data` (null: no payload).
bool ExpandPayload(const CString& folder, const std::uint8_t* data, std::size_t size);

} // namespace app
