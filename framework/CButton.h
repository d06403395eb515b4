// CButton: a push button (class "BUTTON").
#pragma once

#include "CWnd.h"

class CButton : public CWnd {
public:
    // Creates the button as a child of `parent` with control id `id`; `rect` is in the
    // parent's client coordinates.
    BOOL Create(const char* caption, DWORD style, const RECT& rect, CWnd* parent, UINT id);

    // BM_SETIMAGE with an icon (a button styled BS_ICON shows it). Returns the previous icon.
    HICON SetIcon(HICON icon);
};
