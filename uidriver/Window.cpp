#include "Window.h"

#include "Screen.h"

#include <algorithm>

namespace ui {

namespace {

// Long enough for a busy target under Wine, short enough that a hung one fails the test soon.
constexpr UINT kSendTimeout = 5000;

BOOL CALLBACK CollectChild(HWND hwnd, LPARAM list) {
    reinterpret_cast<std::vector<Window>*>(list)->push_back(Window(hwnd));
    return TRUE;
}

} // namespace

LRESULT SendTo(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, const Where& where) {
    DWORD_PTR result = 0;
    SetLastError(0);
    if (!SendMessageTimeoutA(hwnd, message, wparam, lparam, SMTO_ABORTIFHUNG | SMTO_BLOCK,
                             kSendTimeout, &result)) {
        const DWORD error = GetLastError();
        char name[16];
        wsprintfA(name, "0x%04X", message);
        Fail(where, std::string("message ") + name + " to " + Window(hwnd).Describe() +
                        " got no answer (error " + std::to_string(error) + ")");
    }
    return static_cast<LRESULT>(result);
}

LRESULT Window::Send(UINT message, WPARAM wparam, LPARAM lparam, const Where& where) const {
    return SendTo(hwnd_, message, wparam, lparam, where);
}

bool Window::Exists() const {
    return hwnd_ && IsWindow(hwnd_);
}

std::string Window::ClassName() const {
    char name[256] = {};
    GetClassNameA(hwnd_, name, sizeof name);
    return name;
}

int Window::Id() const {
    return GetDlgCtrlID(hwnd_);
}

DWORD Window::ProcessId() const {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd_, &pid);
    return pid;
}

DWORD Window::ThreadId() const {
    return GetWindowThreadProcessId(hwnd_, nullptr);
}

std::string Window::Text(Where where) const {
    const LRESULT length = Send(WM_GETTEXTLENGTH, 0, 0, where);
    std::string text(size_t(length) + 1, '\0');
    const LRESULT copied = Send(WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]), where);
    text.resize(size_t(std::clamp<LRESULT>(copied, 0, length)));
    return text;
}

void Window::SetText(const std::string& text, Where where) const {
    if (!Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), where))
        Fail(where, Describe() + " refused the text " + Quote(text));
}

bool Window::Visible() const {
    return IsWindowVisible(hwnd_) != FALSE;
}

bool Window::Enabled() const {
    return IsWindowEnabled(hwnd_) != FALSE;
}

LONG Window::Style() const {
    return GetWindowLongA(hwnd_, GWL_STYLE);
}

LONG Window::ExStyle() const {
    return GetWindowLongA(hwnd_, GWL_EXSTYLE);
}

RECT Window::Rect() const {
    RECT rect = {};
    GetWindowRect(hwnd_, &rect);
    if (HWND parent = GetAncestor(hwnd_, GA_PARENT); parent && parent != GetDesktopWindow())
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

SIZE Window::ClientSize() const {
    RECT rect = {};
    GetClientRect(hwnd_, &rect);
    return SIZE{rect.right, rect.bottom};
}

Window Window::Item(int id, Where where) const {
    HWND item = GetDlgItem(hwnd_, id);
    if (!item)
        Fail(where, Describe() + " has no control " + std::to_string(id));
    return Window(item);
}

bool Window::HasItem(int id) const {
    return GetDlgItem(hwnd_, id) != nullptr;
}

std::vector<Window> Window::Children() const {
    std::vector<Window> children;
    EnumChildWindows(hwnd_, CollectChild, reinterpret_cast<LPARAM>(&children));
    // EnumChildWindows walks grandchildren too.
    children.erase(std::remove_if(children.begin(), children.end(),
                                  [&](const Window& w) { return w.Parent() != *this; }),
                   children.end());
    return children;
}

Window Window::Parent() const {
    return Window(GetAncestor(hwnd_, GA_PARENT));
}

Window Window::Owner() const {
    return Window(GetWindow(hwnd_, GW_OWNER));
}

void Window::Click(Where where) const {
    if (!Exists())
        Fail(where, "cannot click a window that is gone");
    if (!Visible())
        Fail(where, "cannot click " + Describe() + ": it is not visible");
    if (!Enabled())
        Fail(where, "cannot click " + Describe() + ": it is disabled");
    if (!PostMessageA(hwnd_, BM_CLICK, 0, 0))
        Fail(where, "cannot post a click to " + Describe());
}

void Window::MouseClick(POINT at, Where where) const {
    if (!Visible() || !Enabled())
        Fail(where, "cannot click into " + Describe() + ": it is hidden or disabled");
    const LPARAM point = MAKELPARAM(at.x, at.y);
    if (!PostMessageA(hwnd_, WM_LBUTTONDOWN, MK_LBUTTON, point) ||
        !PostMessageA(hwnd_, WM_LBUTTONUP, 0, point))
        Fail(where, "cannot post a mouse click to " + Describe());
}

void Window::Command(int id, Where where) const {
    HWND control = GetDlgItem(hwnd_, id);
    if (!PostMessageA(hwnd_, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                      reinterpret_cast<LPARAM>(control)))
        Fail(where, "cannot post command " + std::to_string(id) + " to " + Describe());
}

Window Window::Focus() const {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(ThreadId(), &info))
        return Window();
    return Window(info.hwndFocus);
}

void Window::PressKey(UINT virtualKey, Where where) const {
    Window target = Focus();
    if (!target)
        target = *this;
    const UINT scan = MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC);
    const LPARAM down = 1 | LPARAM(scan) << 16;
    const LPARAM up = down | LPARAM(1) << 30 | LPARAM(1) << 31;
    if (!PostMessageA(target.Handle(), WM_KEYDOWN, virtualKey, down) ||
        !PostMessageA(target.Handle(), WM_KEYUP, virtualKey, up))
        Fail(where, "cannot post a key to " + target.Describe());
}

HANDLE Window::ButtonImage(UINT type, Where where) const {
    return reinterpret_cast<HANDLE>(Send(BM_GETIMAGE, type, 0, where));
}

HICON Window::StaticIcon(Where where) const {
    return reinterpret_cast<HICON>(Send(STM_GETICON, 0, 0, where));
}

bool Window::Shows(HICON icon, DWORD timeoutMs) const {
    return WaitUntil([&] { return ContainsIcon(CaptureWindow(*this), icon); }, timeoutMs);
}

void Window::WaitForText(const std::string& text, DWORD timeoutMs, Where where) const {
    std::string seen;
    if (!WaitUntil(
            [&] {
                seen = Text(where);
                return seen == text;
            },
            timeoutMs))
        Fail(where, Describe() + " still shows " + Quote(seen) + ", not " + Quote(text));
}

void Window::WaitUntilGone(DWORD timeoutMs, Where where) const {
    if (!WaitUntil([&] { return !Exists(); }, timeoutMs))
        Fail(where, Describe() + " is still there");
}

std::string Window::Describe() const {
    if (!hwnd_)
        return "no window";
    if (!IsWindow(hwnd_))
        return "a window that is gone";
    std::string description = ClassName();
    if (GetWindowLongA(hwnd_, GWL_STYLE) & WS_CHILD)
        description += " " + std::to_string(Id());
    char text[128] = {};
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(hwnd_, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                        SMTO_ABORTIFHUNG, 1000, &ignored);
    text[sizeof text - 1] = '\0';
    return description + " " + Quote(text);
}

RECT DialogUnitsToPixels(int left, int top, int width, int height, const char* face,
                         int pointSize) {
    // The dialog manager's base units: the average width of the 52 letters, rounded, and the
    // font's height.
    HDC dc = GetDC(nullptr);
    LOGFONTA font = {};
    font.lfHeight = -MulDiv(pointSize, GetDeviceCaps(dc, LOGPIXELSY), 72);
    font.lfCharSet = DEFAULT_CHARSET;
    lstrcpynA(font.lfFaceName, face, LF_FACESIZE);
    HFONT handle = CreateFontIndirectA(&font);
    HGDIOBJ old = SelectObject(dc, handle);
    TEXTMETRICA metrics = {};
    GetTextMetricsA(dc, &metrics);
    static const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    SIZE extent = {};
    GetTextExtentPoint32A(dc, kLetters, 52, &extent);
    SelectObject(dc, old);
    DeleteObject(handle);
    ReleaseDC(nullptr, dc);
    const int baseX = (extent.cx / 26 + 1) / 2, baseY = metrics.tmHeight;
    RECT rect;
    rect.left = MulDiv(left, baseX, 4);
    rect.top = MulDiv(top, baseY, 8);
    // Position and size are converted separately, as the dialog manager does.
    rect.right = rect.left + MulDiv(width, baseX, 4);
    rect.bottom = rect.top + MulDiv(height, baseY, 8);
    return rect;
}

} // namespace ui
