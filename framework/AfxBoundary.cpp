#include "AfxBoundary.h"

#include "CWnd.h"

#include <utility>

namespace {
// One user-interface thread: the modal dialogs nest on it.
std::exception_ptr g_parked;
AfxModalScope* g_innermost = nullptr;
CWnd* g_innermostDialog = nullptr;
} // namespace

void AfxParkException(std::exception_ptr error) {
    if (!g_parked)
        g_parked = std::move(error);
    if (g_innermostDialog && g_innermostDialog->m_hWnd)
        ::EndDialog(g_innermostDialog->m_hWnd, -1);
}

void AfxRethrowParkedException() {
    if (g_parked)
        std::rethrow_exception(std::exchange(g_parked, nullptr));
}

AfxModalScope::AfxModalScope(CWnd* dialog) : m_dialog(dialog), m_outer(g_innermost) {
    g_innermost = this;
    g_innermostDialog = dialog;
}

AfxModalScope::~AfxModalScope() {
    g_innermost = m_outer;
    g_innermostDialog = m_outer ? m_outer->m_dialog : nullptr;
}
