#include "CDialog.h"

#include "AfxBoundary.h"
#include "AfxWindow.h"
#include "CWaitCursor.h"
#include "CWinApp.h"

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_BN_CLICKED(IDOK, OnOK)
    ON_BN_CLICKED(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

CDialog::CDialog(UINT templateId, CWnd* parent) : m_templateId(templateId), m_pParentWnd(parent) {}

INT_PTR CDialog::DoModal() {
    HWND owner = m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr;
    if (!owner) {
        const CWinApp* app = AfxGetApp();
        if (app && app->m_pMainWnd && app->m_pMainWnd != this)
            owner = app->m_pMainWnd->m_hWnd;
    }
    INT_PTR result;
    {
        AfxModalScope running(this);
        result = ::DialogBoxParamA(AfxGetResourceHandle(), MAKEINTRESOURCEA(m_templateId), owner,
                                   &DialogProc, reinterpret_cast<LPARAM>(this));
    }
    m_hWnd = nullptr;
    ForgetDlgItems();
    AfxRethrowParkedException();
    return result;
}

BOOL CDialog::UpdateData(BOOL saveAndValidate) {
    CDataExchange exchange(this, saveAndValidate);
    DoDataExchange(&exchange);
    return !exchange.Failed();
}

void CDialog::DoDataExchange(CDataExchange*) {}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK() {
    if (!UpdateData(TRUE))
        return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

LRESULT CDialog::DefaultProcessing(const CurrentMessage&) {
    // The dialog manager calls the dialog procedure from its own window procedure and does the
    // default processing itself when the procedure returns FALSE (see DialogMessage).
    return 0;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CDialog* dialog;
    if (message == WM_INITDIALOG) {
        dialog = reinterpret_cast<CDialog*>(lParam);
        ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, lParam);
        dialog->m_hWnd = hwnd;
        const CWinApp* app = AfxGetApp();
        if (app && app->m_pMainWnd == dialog)
            AfxSetMainWindowHandle(hwnd);
    } else {
        dialog = reinterpret_cast<CDialog*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    }
    // Messages before WM_INITDIALOG (WM_SETFONT) find no object yet.
    if (!dialog)
        return FALSE;
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        const CWinApp* app = AfxGetApp();
        if (app && app->m_pMainWnd == dialog)
            AfxSetMainWindowHandle(nullptr);
        return FALSE;
    }
    return AfxCallGuarded([&] { return dialog->DialogMessage(message, wParam, lParam); }, FALSE);
}

namespace {

// A dialog procedure returns these messages' results itself; for all others it returns TRUE
// for "handled" and leaves the result in DWLP_MSGRESULT.
bool ReturnsResultDirectly(UINT message) {
    switch (message) {
    case WM_INITDIALOG:
    case WM_QUERYDRAGICON:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
        return true;
    default:
        return false;
    }
}

bool IsHelpRequest(UINT message, WPARAM wParam) {
    return message == WM_HELP || (message == WM_COMMAND && LOWORD(wParam) == ID_HELP);
}

} // namespace

INT_PTR CDialog::DialogMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    CurrentMessage current{message, wParam, lParam, false, 0};
    LRESULT result = 0;
    bool handled;
    {
        CurrentMessageScope scope(*this, current);
        if (message == WM_INITDIALOG) {
            // Placed before the dialog's own initialisation, so that a box it shows already
            // appears over the dialog's final place.
            CenterWindow();
            result = OnInitDialog();
            handled = true;
        } else {
            handled = OnWndMsg(message, wParam, lParam, result);
        }
    }
    if (!handled && message == WM_SETCURSOR && AfxIsWaitCursorShown()) {
        // Keeps the hourglass while the mouse moves over the dialog.
        AfxRestoreWaitCursor();
        ::SetWindowLongPtrA(m_hWnd, DWLP_MSGRESULT, TRUE);
        return TRUE;
    }
    if (!handled && IsHelpRequest(message, wParam)) {
        if (CWinApp* app = AfxGetApp())
            handled = app->OnCommand(ID_HELP);
    }
    if (!handled || current.passedOn)
        return FALSE;
    if (ReturnsResultDirectly(message))
        return result;
    ::SetWindowLongPtrA(m_hWnd, DWLP_MSGRESULT, result);
    return TRUE;
}
