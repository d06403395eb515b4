#include "IconButton.h"

BEGIN_MESSAGE_MAP(CIconButton, CButton)
    ON_WM_SETFOCUS()
END_MESSAGE_MAP()

void CIconButton::OnSetFocus(HWND) {}
