#include "AfxMessageBox.h"

#include "AfxModule.h"
#include "AfxWindow.h"

namespace {
AfxMessageBoxHook g_hook = nullptr;
}

AfxMessageBoxHook AfxSetMessageBoxHook(AfxMessageBoxHook hook) {
    AfxMessageBoxHook previous = g_hook;
    g_hook = hook;
    return previous;
}

CString AfxGetAppName() {
    CString name = AfxGetModuleFileName();
    const int slash = name.ReverseFind('\\');
    name = name.Mid(slash + 1);
    const int dot = name.ReverseFind('.');
    if (dot > 0)
        name = name.Left(dot);
    return name;
}

int AfxMessageBox(const char* text, UINT type) {
    if ((type & MB_ICONMASK) == 0) {
        switch (type & MB_TYPEMASK) {
        case MB_OK:
        case MB_OKCANCEL:
        case MB_YESNO:
        case MB_YESNOCANCEL:
            type |= MB_ICONEXCLAMATION;
            break;
        default:
            break;
        }
    }
    const CString caption = AfxGetAppName();
    const HWND owner = AfxGetMessageBoxOwner();
    if (g_hook)
        return g_hook(owner, text, caption, type);
    return MessageBoxA(owner, text, caption, type);
}
