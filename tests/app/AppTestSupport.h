// Arranging the machine for the installer's in-process tests.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "CString.h"

// The application path entry of a previous installation ("App Paths\KRZ.EXE" below
// HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion): recorded with a "Path"
// value for the object's lifetime, or (null folder) made sure to be absent. Removed at the end.
class PreviousInstallation {
public:
    explicit PreviousInstallation(const char* folder);
    ~PreviousInstallation();
    PreviousInstallation(const PreviousInstallation&) = delete;
    PreviousInstallation& operator=(const PreviousInstallation&) = delete;
};

// A message box that the installer would have shown.
struct RecordedBox {
    HWND owner;
    CString text, caption;
    UINT type;
};

// Replaces the installer's message boxes with a recorder for the object's lifetime; each box
// "presses" the next answer (IDOK when the answers run out).
class MessageBoxRecorder {
public:
    explicit MessageBoxRecorder(std::vector<int> answers = {});
    ~MessageBoxRecorder();
    MessageBoxRecorder(const MessageBoxRecorder&) = delete;
    MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;

    const std::vector<RecordedBox>& Boxes() const;
};
