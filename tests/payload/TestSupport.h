// Shared by the payload tests: message recording, scratch folders, file helpers and
// sample-like application files.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "CString.h"
#include "MachineState.h"
#include "MessageBoxRecorder.h"

using Bytes = std::vector<std::uint8_t>;

// MB_OK with the exclamation icon: every message of the expansion.
constexpr UINT kMessageType = MB_OK | MB_ICONEXCLAMATION;

// Records every message box (text, caption, type) shown while it lives; shows none.
class MessageLog {
public:
    // One entry per box: "caption|text|0xTT".
    std::vector<std::string> Boxes() const;
    // What the log should hold after one box showing `text` in this test program.
    static std::vector<std::string> One(const char* text);
    static std::vector<std::string> None() { return {}; }

private:
    MessageBoxRecorder m_recorder;
};

// The UI driver's scratch folder (under `parent`, or the temporary folder), with the paths as
// the expansion takes them.
class ScratchFolder : public ui::ScratchFolder {
public:
    explicit ScratchFolder(const char* parent = "") : ui::ScratchFolder(parent) {}

    CString Path() const { return ui::ScratchFolder::Path().c_str(); }
    CString operator/(const char* name) const { return Path() + "\\" + name; }
};

// Expects the first `count` names of the file list in `folder` holding `files`, and no others.
void ExpectInstalled(const CString& folder, const std::vector<Bytes>& files, int count);
bool Exists(const CString& path);
Bytes ReadBytes(const CString& path); // empty when the file is missing
void WriteBytes(const CString& path, const Bytes& data);
FILETIME FileTimeOf(const CString& path, int which); // 0 creation, 1 last access, 2 last write
ULONGLONG Ticks(const FILETIME& ft);

// Files shaped like the application's four: the shipped sizes (909,312, 43,670, 268 and
// 118,784 bytes), the first bytes of their kinds, and a mix of runs, repeats, text and noise.
const std::vector<Bytes>& SampleFiles();
// Small files with the same shapes, for tests that walk rather than measure.
const std::vector<Bytes>& SmallFiles();
// Deterministic content of `size` bytes beginning with `head`.
Bytes Synthetic(std::size_t size, std::uint32_t seed, const std::string& head = "");

// A complete compressed file, and a payload of such files (their bodies, then the end marker).
Bytes Compressed(const Bytes& data);
Bytes PayloadOf(const std::vector<Bytes>& files);
// The complete compressed file that entry `index` of `payload` stands for.
Bytes EntryFile(const Bytes& payload, int index);

// 17 January 2005, 14:00:00 as the file time that a file shows as that time in the local time
// in force now: the calendar time counted as UTC, plus the current offset of UTC from local
// time as GetTimeZoneInformation gives it.
ULONGLONG ExpectedStampTicks();
