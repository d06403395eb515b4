// The installation run: what OK does.
#include "SetupDlg.h"

void CSetupDlg::OnInstall() {
    // Finished: OK (and Enter) close the dialog as "Close" does.
    if (m_installed) {
        OnCancel();
        return;
    }
    // Busy: a second run never starts inside the first.
    if (m_busy)
        return;
    // The run itself (folder creation, expansion, shortcuts, registry entries) comes here.
}
