#include "CWaitCursor.h"

namespace {
int g_waitCount = 0;
HCURSOR g_before = nullptr; // the cursor from before the outermost wait cursor

HCURSOR Hourglass() {
    return ::LoadCursorA(nullptr, IDC_WAIT);
}
} // namespace

CWaitCursor::CWaitCursor() {
    const HCURSOR previous = ::SetCursor(Hourglass());
    if (g_waitCount++ == 0)
        g_before = previous;
}

CWaitCursor::~CWaitCursor() {
    if (--g_waitCount == 0)
        ::SetCursor(g_before);
    else
        ::SetCursor(Hourglass());
}

bool AfxIsWaitCursorShown() {
    return g_waitCount > 0;
}

void AfxRestoreWaitCursor() {
    if (g_waitCount > 0)
        ::SetCursor(Hourglass());
}
