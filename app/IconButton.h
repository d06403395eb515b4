// CIconButton: a button that never draws a focus rectangle. Its handler of the focus-gained
// message does nothing, so the button control's own focus handling never runs.
#pragma once

#include "CButton.h"

class CIconButton : public CButton {
protected:
    void OnSetFocus(HWND previous);

    DECLARE_MESSAGE_MAP()
};
