// CStatic: a static control (class "STATIC").
#pragma once

#include "CWnd.h"

class CStatic : public CWnd {
public:
    // STM_SETICON: a static styled SS_ICON shows the icon. Returns the previous icon.
    HICON SetIcon(HICON icon) {
        return reinterpret_cast<HICON>(SendMessage(STM_SETICON, reinterpret_cast<WPARAM>(icon)));
    }
    HICON GetIcon() const { return reinterpret_cast<HICON>(SendMessage(STM_GETICON)); }
};
