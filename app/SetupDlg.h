// CSetupDlg: the installer's main dialog (template 102). It proposes the destination folder
// (a previous installation's, after the reinstall question, or a default under Program
// Files), lets the user type another or browse for one, and runs the installation on OK.
//
// Its states: ready (busy and installed flags 0; OK starts the installation run), busy (busy
// flag 1 while the run works; OK does nothing) and finished (installed flag 1; OK and Enter
// end the dialog with IDCANCEL, as Cancel, now reading "Close", does).
#pragma once

#include "CButton.h"
#include "CDialog.h"
#include "CEdit.h"
#include "CStatic.h"
#include "IconButton.h"
#include "resource.h"

class CSetupDlg : public CDialog {
public:
    CSetupDlg();

    // The folder proposed when no previous installation is recorded: "Program Files" on the
    // Windows directory's drive, or the Windows directory itself when it does not begin with
    // a drive letter and a colon; then "\Tessarin Software\Quorbelix".
    static CString ProposedInstallFolder(const CString& windowsDirectory);

    // Creates the folder `path`, white space at both ends removed, with its missing parents
    // from the top down. Returns 0 when the folder was made or something of that name exists,
    // 24 when the trimmed path has 240 characters or more, ERROR_BAD_PATHNAME (creating
    // nothing) when the trimmed path is not absolute (a drive letter, a colon and a backslash,
    // or a UNC name), or else the error code of the creation that failed (never looping on a
    // parent that exists but is no folder).
    static int CreateFolderPath(CString path);
    // Cuts the last component off `path` at its last backslash (a trail byte of a double-byte
    // character is no backslash) and returns it. Returns the empty text when there is nothing
    // to split off: no backslash, or only one at the start (the path stays as it was); or a
    // parent shorter than 3 characters or ending in a backslash (the path stays cut).
    static CString SplitLastFolder(CString& path);

    // The browse button, made over the placeholder at initialisation; id IDC_BROWSE.
    CIconButton m_browseButton;
    // 1 while the installation run works.
    int m_busy = 0;
    // Control IDC_BROWSE of the template, hidden and disabled: only its position is used.
    CButton m_placeholder;
    // "Setup path:" (IDC_PATH_LABEL).
    CStatic m_pathLabel;
    // The destination folder as shown and typed (IDC_PATH_EDIT).
    CEdit m_pathEdit;
    // The text of IDC_MESSAGE, exchanged by UpdateData.
    CString m_message;
    // The destination folder without a trailing backslash.
    CString m_installFolder;
    // Icon IDI_MAIN.
    HICON m_hIcon;
    // 1 after a successful installation.
    int m_installed = 0;
    // Filled when the application path entry is written (registry/Registry.h).
    CString m_specialBuild;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnPaint();
    HCURSOR OnQueryDragIcon();
    // OK: the installation run (SetupDlgInstall.cpp).
    void OnInstall();
    // The browse button: the Select Path dialog (SetupDlgBrowse.cpp).
    void OnBrowse();

    DECLARE_MESSAGE_MAP()
};
