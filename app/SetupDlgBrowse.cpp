// The browse button: the folder is picked in the Select Path dialog.
#include "SetupDlg.h"

#include "SelectPathDlg.h"
#include "SetupApp.h"

void CSetupDlg::OnBrowse() {
    // The dialog starts from the install folder, not from the path edit: text typed there does
    // not reach it, and OK replaces it.
    CSelectPathDlg dialog(this, CSetupApp::GetPlatformFamily() == CSetupApp::kWindowsNtFamily);
    dialog.m_selectedPath = m_installFolder + "\\";
    if (dialog.DoModal() != IDOK)
        return;
    m_installFolder = dialog.m_selectedPath;
    const int length = m_installFolder.GetLength();
    // A drive comes back as C:\ and goes into the folder as C:.
    if (length >= 2 && m_installFolder[length - 1] == '\\')
        m_installFolder = m_installFolder.Left(length - 1);
    m_pathEdit.SetWindowText(m_installFolder);
}
