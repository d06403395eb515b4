// Expanding the installer's payload into the installation folder: each entry is written as
// the temporary file "krz.tmp", expanded by the platform's LZ32 into one shared buffer,
// written under its name from the file list and given the fixed time stamp.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "CString.h"
#include "FileExpansion.h"

namespace payload {

// Expands the payload, `size` bytes from `data` (null: no payload), into `folder` (no
// trailing backslash), entry i becoming payload::kFileList[i], stopping at the end marker or
// after the last name of the list. On success returns
// Expansion::done with no temporary file left. On failure returns what went wrong; the files
// finished before stay. On the NT family neither the temporary file nor a failing
// entry's new file outlives the entry (see ExpandEntry); on the 95/98 family they are left
// as that failure leaves them. On the NT family the folder is held open for the whole run, so
// that it cannot be moved away; a folder that opens as no file-system folder (a file of that
// name, a link into another namespace) fails as folderUnusable before anything is written.
// A missing payload resource, a length that runs past the payload's end, or an entry that does
// not expand to exactly its declared size fails as failed before anything of that entry
// reaches its target.
Expansion ExpandPayloadFiles(const CString& folder, const std::uint8_t* data, std::size_t size);

// Locates the payload that the installer carries, resource 129 of type RT_RCDATA in its own
// executable: FindResourceA, LoadResource, LockResource and SizeofResource on the process's
// own module. False when it is missing.
bool FindPayload(const std::uint8_t*& data, std::size_t& size);

} // namespace payload
