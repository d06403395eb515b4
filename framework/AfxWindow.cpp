#include "AfxWindow.h"

namespace {
HWND g_mainWindow = nullptr;
}

void AfxSetMainWindowHandle(HWND hwnd) {
    g_mainWindow = hwnd;
}

HWND AfxGetMessageBoxOwner() {
    if (g_mainWindow && IsWindow(g_mainWindow))
        return GetLastActivePopup(g_mainWindow);
    return GetActiveWindow();
}
