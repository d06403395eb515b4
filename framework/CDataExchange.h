// Data exchange between a dialog's members and its controls, run by CDialog::UpdateData
// through the dialog's DoDataExchange: DDX_Control binds a control member to its control,
// DDX_Text copies a text into a control (m_bSaveAndValidate false) or out of it (true).
#pragma once

#include <windows.h>

#include "CString.h"

class CWnd;

class CDataExchange {
public:
    CDataExchange(CWnd* dialog, BOOL saveAndValidate)
        : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(dialog) {}

    BOOL m_bSaveAndValidate; // true: controls to members; false: members to controls
    CWnd* m_pDlgWnd;

    // The dialog's control `id`; null, and the exchange marked failed, when there is none.
    HWND PrepareCtrl(int id);
    void Fail() { m_failed = true; }
    bool Failed() const { return m_failed; }

private:
    bool m_failed = false;
};

// Binds `control` to the dialog's control `id` (subclassing it) the first time; later
// exchanges leave the binding as it is.
void DDX_Control(CDataExchange* pDX, int id, CWnd& control);

// Copies `value` into the text of control `id`, or the control's text into `value`.
void DDX_Text(CDataExchange* pDX, int id, CString& value);
