#include "CWnd.h"

#include "AfxBoundary.h"

namespace {
// A subclassed window keeps its CWnd under this property.
const char kWindowProperty[] = "AfxWnd";
} // namespace

HINSTANCE AfxGetResourceHandle() {
    return ::GetModuleHandleA(nullptr);
}

CWnd::~CWnd() {
    if (!m_hWnd)
        return;
    if (m_ownsWindow)
        ::DestroyWindow(m_hWnd); // its WM_NCDESTROY lets go of it
    else
        UnsubclassWindow();
}

CWnd* CWnd::FromHandlePermanent(HWND hwnd) {
    return hwnd ? static_cast<CWnd*>(::GetPropA(hwnd, kWindowProperty)) : nullptr;
}

BOOL CWnd::CreateEx(DWORD exStyle, const char* className, const char* windowName, DWORD style,
                    const RECT& rect, CWnd* parent, UINT id) {
    // A child's menu argument is its control id.
    const HMENU menu = (style & WS_CHILD) ? reinterpret_cast<HMENU>(UINT_PTR(id)) : nullptr;
    const HWND hwnd =
        ::CreateWindowExA(exStyle, className, windowName, style, rect.left, rect.top,
                          rect.right - rect.left, rect.bottom - rect.top,
                          parent ? parent->m_hWnd : nullptr, menu, AfxGetResourceHandle(), nullptr);
    if (!hwnd)
        return FALSE;
    if (!SubclassWindow(hwnd)) {
        ::DestroyWindow(hwnd);
        return FALSE;
    }
    m_ownsWindow = true;
    return TRUE;
}

BOOL CWnd::SubclassWindow(HWND hwnd) {
    if (m_hWnd || !hwnd || FromHandlePermanent(hwnd))
        return FALSE;
    if (!::SetPropA(hwnd, kWindowProperty, this))
        return FALSE;
    const auto own = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SubclassProc)));
    if (!own) {
        ::RemovePropA(hwnd, kWindowProperty);
        return FALSE;
    }
    m_superProc = own;
    m_hWnd = hwnd;
    return TRUE;
}

HWND CWnd::UnsubclassWindow() {
    const HWND hwnd = m_hWnd;
    if (hwnd && m_superProc) {
        ::SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_superProc));
        ::RemovePropA(hwnd, kWindowProperty);
    }
    m_superProc = nullptr;
    m_hWnd = nullptr;
    m_ownsWindow = false;
    return hwnd;
}

LRESULT CALLBACK CWnd::SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CWnd* const window = FromHandlePermanent(hwnd);
    if (!window)
        return ::DefWindowProcA(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        // The window's last message: let go of it first, so that nothing reaches this object
        // once the window is gone.
        const WNDPROC own = window->m_superProc;
        window->UnsubclassWindow();
        return ::CallWindowProcA(own, hwnd, message, wParam, lParam);
    }
    return AfxCallGuarded([&] { return window->WindowProc(message, wParam, lParam); }, 0);
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    CurrentMessage current{message, wParam, lParam, false, 0};
    LRESULT result = 0;
    bool handled;
    {
        CurrentMessageScope scope(*this, current);
        handled = OnWndMsg(message, wParam, lParam, result);
    }
    if (handled)
        return current.passedOn ? current.defaultResult : result;
    return DefaultProcessing(current);
}

bool CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    UINT code = 0;
    UINT id = 0;
    if (message == WM_COMMAND) {
        code = HIWORD(wParam);
        id = LOWORD(wParam);
    } else if (message == WM_NOTIFY) {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        code = header->code;
        id = UINT(header->idFrom);
    }
    for (const AfxMsgMap* map = GetMessageMap(); map; map = map->base ? map->base() : nullptr) {
        for (const AfxMsgMapEntry* entry = map->entries; entry->thunk; ++entry) {
            if (entry->message == message && entry->code == code && entry->id == id) {
                result = entry->thunk(this, wParam, lParam);
                return true;
            }
        }
    }
    return false;
}

LRESULT CWnd::Default() {
    CurrentMessage* const current = m_currentMessage;
    if (!current)
        return 0;
    current->passedOn = true;
    current->defaultResult = DefaultProcessing(*current);
    return current->defaultResult;
}

LRESULT CWnd::DefaultProcessing(const CurrentMessage& message) {
    if (m_superProc)
        return ::CallWindowProcA(m_superProc, m_hWnd, message.message, message.wParam,
                                 message.lParam);
    return ::DefWindowProcA(m_hWnd, message.message, message.wParam, message.lParam);
}

const AfxMsgMap* CWnd::GetMessageMap() const {
    return GetThisMessageMap();
}

const AfxMsgMap* CWnd::GetThisMessageMap() {
    static const AfxMsgMapEntry entries[] = {{0, 0, 0, nullptr}};
    static const AfxMsgMap map = {nullptr, entries};
    return &map;
}

CWnd* CWnd::GetDlgItem(int id) {
    const HWND child = ::GetDlgItem(m_hWnd, id);
    if (!child)
        return nullptr;
    if (CWnd* bound = FromHandlePermanent(child))
        return bound;
    for (const auto& wrapper : m_children) {
        if (wrapper->m_hWnd == child)
            return wrapper.get();
    }
    m_children.push_back(std::make_unique<CWnd>(child));
    return m_children.back().get();
}

void CWnd::GetWindowText(CString& text) const {
    const int length = GetWindowTextLength();
    char* buffer = text.GetBuffer(length);
    const int copied = ::GetWindowTextA(m_hWnd, buffer, length + 1);
    text.ReleaseBuffer(copied > 0 ? copied : 0);
}

void CWnd::ScreenToClient(RECT* rect) const {
    ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(rect), 2);
}

BOOL CWnd::ModifyStyle(DWORD remove, DWORD add, UINT flags) {
    const DWORD style = GetStyle();
    const DWORD changed = (style & ~remove) | add;
    if (changed == style)
        return FALSE;
    ::SetWindowLongPtrA(m_hWnd, GWL_STYLE, LONG_PTR(changed));
    if (flags)
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                       SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | flags);
    return TRUE;
}

// The work area of the window's monitor. Windows 95 and NT 4.0 have one monitor and no
// monitor functions: there it is the work area of the screen.
static bool WorkArea(HWND window, RECT& area) {
    using MonitorFromWindowFn = HMONITOR(WINAPI*)(HWND, DWORD);
    using GetMonitorInfoFn = BOOL(WINAPI*)(HMONITOR, LPMONITORINFO);
    const HMODULE user32 = ::GetModuleHandleA("user32.dll");
    const auto monitorFromWindow = reinterpret_cast<MonitorFromWindowFn>(
        reinterpret_cast<void (*)()>(::GetProcAddress(user32, "MonitorFromWindow")));
    const auto getMonitorInfo = reinterpret_cast<GetMonitorInfoFn>(
        reinterpret_cast<void (*)()>(::GetProcAddress(user32, "GetMonitorInfoA")));
    if (monitorFromWindow && getMonitorInfo) {
        MONITORINFO monitor = {};
        monitor.cbSize = sizeof monitor;
        if (!getMonitorInfo(monitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &monitor))
            return false;
        area = monitor.rcWork;
        return true;
    }
    return ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0) != FALSE;
}

void CWnd::CenterWindow() {
    RECT area;
    if (!WorkArea(m_hWnd, area))
        return;
    RECT over = area;
    const HWND owner = ::GetWindow(m_hWnd, GW_OWNER);
    if (owner && ::IsWindowVisible(owner) && !::IsIconic(owner))
        ::GetWindowRect(owner, &over);
    RECT r;
    ::GetWindowRect(m_hWnd, &r);
    const LONG width = r.right - r.left, height = r.bottom - r.top;
    LONG left = over.left + (over.right - over.left - width) / 2;
    LONG top = over.top + (over.bottom - over.top - height) / 2;
    left = left + width > area.right ? area.right - width : left;
    top = top + height > area.bottom ? area.bottom - height : top;
    left = left < area.left ? area.left : left;
    top = top < area.top ? area.top : top;
    ::SetWindowPos(m_hWnd, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
