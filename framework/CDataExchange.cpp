#include "CDataExchange.h"

#include "CWnd.h"

HWND CDataExchange::PrepareCtrl(int id) {
    const HWND control = ::GetDlgItem(m_pDlgWnd->m_hWnd, id);
    if (!control)
        Fail();
    return control;
}

void DDX_Control(CDataExchange* pDX, int id, CWnd& control) {
    if (control.m_hWnd)
        return;
    const HWND hwnd = pDX->PrepareCtrl(id);
    if (hwnd && !control.SubclassWindow(hwnd))
        pDX->Fail();
}

void DDX_Text(CDataExchange* pDX, int id, CString& value) {
    const HWND hwnd = pDX->PrepareCtrl(id);
    if (!hwnd)
        return;
    if (!pDX->m_bSaveAndValidate) {
        ::SetWindowTextA(hwnd, value);
        return;
    }
    const int length = ::GetWindowTextLengthA(hwnd);
    char* buffer = value.GetBuffer(length);
    const int copied = ::GetWindowTextA(hwnd, buffer, length + 1);
    value.ReleaseBuffer(copied > 0 ? copied : 0);
}
