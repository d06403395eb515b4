// CSetupApp: the installer's application object. It checks the platform, records its family,
// runs the main dialog modally and ends the process when the dialog closes.
#pragma once

#include "CWinApp.h"

class CSetupApp : public CWinApp {
public:
    CSetupApp();
    ~CSetupApp() override;

    enum : int { kNoFamily = 0, kWindows95Family = 1, kWindowsNtFamily = 2 };
    // kWindows95Family (95/98), kWindowsNtFamily; kNoFamily until the platform check ran.
    int m_platformFamily = kNoFamily;

    // Always false: the process ends when the dialog has closed (or the platform is refused).
    BOOL InitInstance() override;

    // The running application object's platform family; 0 when there is none.
    static int GetPlatformFamily();

    // The family of a platform id (OSVERSIONINFOA::dwPlatformId): the NT family when bit 1 is
    // set, else the 95 family when bit 0 is set, else none (a platform the installer refuses).
    static int PlatformFamilyOf(DWORD platformId);
};
