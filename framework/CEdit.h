// CEdit: an edit control (class "EDIT").
#pragma once

#include "CWnd.h"

class CEdit : public CWnd {
public:
    // Selects characters `start` up to, not including, `end`; (0, -1) selects all.
    void SetSel(int start, int end) { SendMessage(EM_SETSEL, WPARAM(start), LPARAM(end)); }
    void ReplaceSel(const char* text) {
        SendMessage(EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text));
    }
    void LimitText(int characters) { SendMessage(EM_LIMITTEXT, WPARAM(characters)); }
    BOOL SetReadOnly(BOOL readOnly = TRUE) { return BOOL(SendMessage(EM_SETREADONLY, readOnly)); }
};
