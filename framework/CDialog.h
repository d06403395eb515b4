// CDialog: a modal dialog made from a dialog template in the executable's resources.
//
// DoModal runs DialogBoxParamA with this object as the parameter; the one dialog procedure
// keeps the object in the window's user data and hands every message to the message map.
// The defaults: WM_INITDIALOG centres the dialog over its owner (on the screen when the owner
// is hidden or there is none) and calls OnInitDialog (control binding and data exchange into the
// controls); OK (IDOK, also Enter on a default OK button) calls OnOK, which exchanges the data
// out of the controls and ends the dialog with IDOK; Cancel (IDCANCEL, also Esc and the close
// box) calls OnCancel, which ends it with IDCANCEL. The help command (WM_HELP, F1, or a
// command ID_HELP) that the dialog does not handle goes to the application object.
#pragma once

#include <windows.h>

#include "CDataExchange.h"
#include "CWnd.h"

class CDialog : public CWnd {
public:
    // `parent` owns the dialog while it runs; without one, the application's main window does
    // (unless this dialog is that window).
    explicit CDialog(UINT templateId, CWnd* parent = nullptr);

    // Runs the dialog and returns the result given to EndDialog; -1 when the dialog cannot be
    // created. An exception thrown by one of its handlers ends the dialog and is thrown again
    // from here, once the dialog is gone.
    virtual INT_PTR DoModal();
    void EndDialog(int result) { ::EndDialog(m_hWnd, result); }

    // Exchanges data with the controls (DoDataExchange); false when a control was missing.
    BOOL UpdateData(BOOL saveAndValidate = TRUE);

    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();

protected:
    virtual void DoDataExchange(CDataExchange* pDX);
    LRESULT DefaultProcessing(const CurrentMessage& message) override;

    UINT m_templateId;
    CWnd* m_pParentWnd;

    DECLARE_MESSAGE_MAP()

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR DialogMessage(UINT message, WPARAM wParam, LPARAM lParam);
};

// The command that asks for help (a Help button's id).
constexpr UINT ID_HELP = IDHELP;
