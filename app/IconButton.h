// CIconButton: a button that never draws a focus rectangle. Its handler of the focus-gained
// message does nothing, so the button control's own focus handling never runs. The class keeps
// the name the installer's design gives the browse button's class (an icon button), though
// what sets it apart is the focus it swallows.
#pragma once

#include "CButton.h"

class CIconButton : public CButton {
protected:
    void OnSetFocus(HWND previous);

    DECLARE_MESSAGE_MAP()
};
