// Arranging the machine for the installer's in-process tests.
#pragma once

#include "MessageBoxRecorder.h"

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
