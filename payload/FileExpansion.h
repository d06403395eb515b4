// The expansion of one payload entry into one installed file.
#pragma once

#include <windows.h>

#include <ctime>

#include "CFile.h"
#include "CString.h"
#include "PayloadLayout.h"

// The messages of a failed expansion, each shown in an OK box.
inline constexpr char kNoSpaceOnDisk[] = "No space on disk";
inline constexpr char kInvalidPath[] = "Invalid Path";
inline constexpr char kFileError[] = "File Error";
inline constexpr char kDiskFull[] = "Disk full\r\nCorrect and retry";
inline constexpr char kErrorInInstallation[] = "Error in installation";
inline constexpr char kErrorInInstalling[] = "Error in installing";

// The temporary file and every target: GENERIC_WRITE, no sharing, CREATE_ALWAYS.
constexpr UINT kCreationMode = CFile::modeCreate | CFile::shareExclusive | CFile::modeWrite;

// What one run prepares before its first entry and shares among all of them.
struct ExpansionRun {
    CString folder;         // without a trailing backslash
    CString tempPath;       // folder\krz.tmp
    BYTE* buffer = nullptr; // kExpansionBufferSize bytes
    std::time_t stamp = 0;  // 17 January 2005, 14:00:00 local time
};

// 17 January 2005, 14:00:00 in local time, daylight-saving time decided for that date.
std::time_t MakeFixedTimeStamp();

// Expands one entry into run.folder\name. On failure shows the message and returns false.
bool ExpandEntry(const ExpansionRun& run, const payload::Entry& entry, const char* name);
