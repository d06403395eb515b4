#include "SetupApp.h"

#include "AfxMessageBox.h"
#include "SetupDlg.h"

int CSetupApp::PlatformFamilyOf(DWORD platformId) {
    if (platformId & 2)
        return kWindowsNtFamily;
    if (platformId & 1)
        return kWindows95Family;
    return kNoFamily;
}

namespace {
// The application object while it exists (the program's one, or a test's).
const CSetupApp* g_setupApp = nullptr;
} // namespace

CSetupApp::CSetupApp() {
    g_setupApp = this;
}

CSetupApp::~CSetupApp() {
    if (g_setupApp == this)
        g_setupApp = nullptr;
}

int CSetupApp::GetPlatformFamily() {
    return g_setupApp ? g_setupApp->m_platformFamily : kNoFamily;
}

BOOL CSetupApp::InitInstance() {
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    ::GetVersionExA(&version);
    m_platformFamily = PlatformFamilyOf(version.dwPlatformId);
    if (m_platformFamily == kNoFamily) {
        AfxMessageBox("Only Windows 95, 98 or NT4.0");
        return FALSE;
    }

    CSetupDlg dialog;
    m_pMainWnd = &dialog;
    dialog.DoModal();
    m_pMainWnd = nullptr;
    return FALSE;
}
