#include "CButton.h"

BOOL CButton::Create(const char* caption, DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    return CreateEx(0, "BUTTON", caption, style, rect, parent, id);
}

HICON CButton::SetIcon(HICON icon) {
    return reinterpret_cast<HICON>(
        SendMessage(BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon)));
}
