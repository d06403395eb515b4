// CSetupApp: the installer's application object. It checks the platform, records its family,
// runs the main dialog modally and ends the process when the dialog closes.
#pragma once

#include "CWinApp.h"

class CSetupApp : public CWinApp {
public:
    // 1 = Windows 95/98 family, 2 = Windows NT family; 0 until the platform check ran.
    int m_platformFamily = 0;

    // Always false: the process ends when the dialog has closed (or the platform is refused).
    BOOL InitInstance() override;

    // The running application object's platform family; 0 when there is none.
    static int GetPlatformFamily();

    // The family of a platform id (OSVERSIONINFOA::dwPlatformId): 2 when bit 1 is set, else 1
    // when bit 0 is set, else 0 (a platform the installer refuses).
    static int PlatformFamilyOf(DWORD platformId);
};
