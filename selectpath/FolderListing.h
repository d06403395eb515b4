// The listable subfolders of one folder, read whole before any of them goes into the folder
// tree: the listing in the order it returns its entries, then for each subfolder the test that
// decides whether its tree item gets a placeholder child (whether it holds a listable subfolder
// of its own). A long listing's tests run on a few worker threads; nothing else does.
#pragma once

#include <windows.h>

#include <cstddef>
#include <vector>

#include "CString.h"

namespace selectpath {

// A directory that is not "." or ".." and not a system folder; hidden folders count.
bool IsListableSubfolder(const WIN32_FIND_DATAA& entry);

// Whether the folder `pattern` lists (the folder's path followed by "\*.*") holds a listable
// subfolder: the entries are read up to the first one. No when the listing cannot be started.
bool HasListableSubfolder(const char* pattern);

struct Subfolder {
    CString name; // as the listing returns it
    bool hasSubfolders = false;
};

// Reads the listable subfolders of `folder` (a path ending with a backslash) in the order of
// its listing ("*.*"), and tests each of them. False, with nothing read, when the listing
// cannot be started.
bool ListSubfolders(const CString& folder, std::vector<Subfolder>& subfolders);

// An order (indices into `subfolders`) in which a tree control that sorts each new item into
// place, walking the siblings from the first, finds each place at the first sibling: descending,
// by the comparison that ignores letter case. Names that compare equal that way keep their
// listing order, so that names the control finds equal reach it as they would in listing order,
// and it arranges them as it would then; the control still decides every other position.
std::vector<std::size_t> InsertionOrder(const std::vector<Subfolder>& subfolders);

} // namespace selectpath
