// The expansion of one payload entry into one installed file.
#pragma once

#include <windows.h>

#include <ctime>

#include "CFile.h"
#include "CString.h"
#include "PayloadLayout.h"

namespace payload {

// How an expansion ended. The installer tells the user of each failure (app/InstallFiles.h).
enum class Expansion {
    done,
    temporaryNoSpace, // the temporary file could not be created: the disk is full
    temporaryBadPath, // the temporary file could not be created: the path is not valid
    folderUnusable,   // the temporary file could not be created for another reason, or the
                      // folder opens as no file-system folder
    diskFull,         // a write, or the close after it, failed: the disk is full
    failed,           // the payload is missing or damaged, an entry does not expand to its
                      // declared size, the buffer cannot be had, or a write failed otherwise
    targetRefused,    // a target file cannot be created, is read-only or cannot be put in place
};

// No file may expand to more than this; the buffer is allocated once per run.
constexpr DWORD kExpansionBufferSize = payload::kMaxExpandedSize;

// Name of the temporary file, inside the installation folder.
extern const char kTempFileName[];

// Deletes one file (DeleteFileA); a failure is ignored.
void RemoveFile(const CString& path);

// The temporary file and every target: GENERIC_WRITE, no sharing, CREATE_ALWAYS.
constexpr UINT kCreationMode = CFile::modeCreate | CFile::shareExclusive | CFile::modeWrite;

// What one run prepares before its first entry and shares among all of them.
struct ExpansionRun {
    CString folder;         // without a trailing backslash
    CString tempPath;       // folder\krz.tmp
    BYTE* buffer = nullptr; // kExpansionBufferSize bytes
    std::time_t stamp = 0;  // 17 January 2005, 14:00:00 local time
    // The NT family: each file is made new and renamed into place (see ExpandEntry); the
    // 95/98 family, without links or that rename, writes its files in place.
    bool staged = true;
};

// 17 January 2005, 14:00:00 in local time, daylight-saving time decided for that date.
std::time_t MakeFixedTimeStamp();

// Expands one entry into run.folder\name; returns what happened.
// Every file is held open from the moment it is created until the run is done with it, and is
// never looked up by name in between: LZ32 reads the temporary file through the handle that
// wrote it, and the target is stamped through its own. On the NT family, where a folder may
// hold links and another process may work in it, the temporary file must be new (a file or
// link already of its name is replaced by a rename, never written through or deleted) and
// goes when LZ32 closes it; the target is written as a new file under the temporary name and
// renamed over its target name, which replaces a link rather than what it points to. So
// nothing outside the folder is written, stamped or deleted, and a second installer working
// in the same folder fails instead of handing its bytes to this one.
Expansion ExpandEntry(const ExpansionRun& run, const payload::Entry& entry, const char* name);

} // namespace payload
