#include "SetupDlg.h"

#include "AfxMessageBox.h"
#include "CPaintDC.h"
#include "Registry.h"

BEGIN_MESSAGE_MAP(CSetupDlg, CDialog)
    ON_WM_PAINT()
    ON_WM_QUERYDRAGICON()
    ON_BN_CLICKED(IDOK, OnInstall)
    ON_BN_CLICKED(IDC_BROWSE, OnBrowse)
END_MESSAGE_MAP()

CSetupDlg::CSetupDlg() : CDialog(IDD_SETUP) {
    m_hIcon = ::LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDI_MAIN));
}

void CSetupDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_BROWSE, m_placeholder);
    DDX_Control(pDX, IDC_PATH_LABEL, m_pathLabel);
    DDX_Control(pDX, IDC_PATH_EDIT, m_pathEdit);
    DDX_Text(pDX, IDC_MESSAGE, m_message);
}

CString CSetupDlg::ProposedInstallFolder(const CString& windowsDirectory) {
    CString base = windowsDirectory;
    CString drive = windowsDirectory.Left(2);
    drive.MakeUpper();
    if (drive.GetLength() == 2 && drive[0] >= 'A' && drive[0] <= 'Z' && drive[1] == ':')
        base = drive + "\\Program Files";
    return base + "\\Tessarin Software\\Quorbelix";
}

BOOL CSetupDlg::OnInitDialog() {
    CDialog::OnInitDialog();

    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);

    // The browse button goes over the hidden placeholder, a little larger.
    RECT rect;
    m_placeholder.GetWindowRect(&rect);
    ::InflateRect(&rect, 2, 4);
    ScreenToClient(&rect);
    m_browseButton.Create("", WS_CHILD | WS_VISIBLE | BS_ICON, rect, this, IDC_BROWSE);
    // The folder at its own size: LoadIcon would stretch it to the large-icon size.
    m_browseButton.SetIcon(static_cast<HICON>(::LoadImageA(
        AfxGetResourceHandle(), MAKEINTRESOURCEA(IDI_FOLDER_CLOSED), IMAGE_ICON, 16, 16, 0)));

    m_installFolder = registry::ReadPreviousInstallFolder();
    if (!m_installFolder.IsEmpty()) {
        if (AfxMessageBox("A previous installation of KRZ found\r\nReinstall?", MB_YESNO) != IDYES)
            EndDialog(IDCANCEL);
    } else {
        char windowsDirectory[261] = {};
        const UINT length = ::GetWindowsDirectoryA(windowsDirectory, sizeof windowsDirectory);
        // A directory too long for the buffer is not read at all.
        if (length >= sizeof windowsDirectory)
            windowsDirectory[0] = '\0';
        m_installFolder = ProposedInstallFolder(windowsDirectory);
    }

    m_pathEdit.SetWindowText(m_installFolder);
    m_message = "Install Quorbelix?";
    UpdateData(FALSE);
    return TRUE;
}

void CSetupDlg::OnPaint() {
    if (!IsIconic()) {
        Default();
        return;
    }
    CPaintDC dc(this);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()));
    RECT client;
    GetClientRect(&client);
    const int x = (client.right - client.left - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - client.top - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
    dc.DrawIcon(x, y, m_hIcon);
}

HCURSOR CSetupDlg::OnQueryDragIcon() {
    return m_hIcon;
}
