// The browse button: the folder is picked in the Select Path dialog.
#include "SetupDlg.h"

void CSetupDlg::OnBrowse() {
    // The Select Path dialog is run from here.
}
