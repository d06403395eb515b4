// A window of the program under test, seen and driven from the test process.
//
// Reads go through SendMessageTimeout (WM_GETTEXT, STM_GETICON, ...), so a target that stops
// answering makes the read fail instead of hanging the test. Input is posted, never sent: a
// click that opens a modal box returns at once, and the box is then handled by the message-box
// watcher of ui::Process. Posted input takes effect later; wait for its effect with
// WaitForText, ui::WaitUntil or the waits of ui::Process.
#pragma once

#include "Wait.h"

#include <windows.h>

#include <ostream>
#include <string>
#include <vector>

namespace ui {

class Window {
public:
    Window() = default;
    explicit Window(HWND hwnd) : hwnd_(hwnd) {}

    HWND Handle() const { return hwnd_; }
    explicit operator bool() const { return hwnd_ != nullptr; }
    bool operator==(const Window& other) const { return hwnd_ == other.hwnd_; }
    bool operator!=(const Window& other) const { return hwnd_ != other.hwnd_; }

    // Whether the handle still names a window.
    bool Exists() const;
    std::string ClassName() const;
    int Id() const;
    DWORD ProcessId() const;
    DWORD ThreadId() const;

    // The window text (WM_GETTEXT) and its replacement (WM_SETTEXT, which sends the edit's own
    // change notification as typing would).
    std::string Text(Where where = {}) const;
    void SetText(const std::string& text, Where where = {}) const;

    // Visible: the window and all its ancestors have WS_VISIBLE (IsWindowVisible).
    bool Visible() const;
    bool Enabled() const;
    LONG Style() const;
    LONG ExStyle() const;
    bool HasStyle(LONG bits) const { return (Style() & bits) == bits; }

    // The window rectangle in its parent's client coordinates (in screen coordinates for a
    // top-level window), and the size of its client area.
    RECT Rect() const;
    SIZE ClientSize() const;

    // The child control with this identifier; a missing control fails.
    Window Item(int id, Where where = {}) const;
    bool HasItem(int id) const;
    std::vector<Window> Children() const;
    Window Parent() const;
    Window Owner() const;

    // Clicks a button as the user would: posts BM_CLICK. A hidden or disabled button cannot be
    // clicked by a user and fails.
    void Click(Where where = {}) const;
    // Clicks the left mouse button at a point of the client area (posted WM_LBUTTONDOWN and
    // WM_LBUTTONUP): how a user puts the focus into an edit or a tree.
    void MouseClick(POINT at = {2, 2}, Where where = {}) const;
    // Posts WM_COMMAND with BN_CLICKED for control `id` to this dialog, whatever the control's
    // state: for what the user can do by other means (a menu, an accelerator).
    void Command(int id, Where where = {}) const;
    // Presses and releases a key (VK_RETURN, VK_ESCAPE, ...): WM_KEYDOWN and WM_KEYUP posted to
    // the control that has the keyboard focus in this window's thread (this window itself when
    // nothing has it), so the dialog's own keyboard handling sees them, as it would a real key.
    void PressKey(UINT virtualKey, Where where = {}) const;
    // The control that has the keyboard focus in this window's thread.
    Window Focus() const;

    // The image of a button (BM_GETIMAGE) and the icon of a static (STM_GETICON). The handles
    // belong to the target process: compare them with null only; use Shows() for the picture.
    HANDLE ButtonImage(UINT type = IMAGE_ICON, Where where = {}) const;
    HICON StaticIcon(Where where = {}) const;
    // Whether the window, as drawn on the screen, shows `icon` (drawn at its own size) somewhere
    // inside it. Compares the pixels that the icon covers fully; the background may be
    // anything. The window must not be covered by another one. A window reaches the screen a
    // while after it is shown or changed, so this looks again until the icon is seen or
    // `timeoutMs` has passed: "not shown" takes the whole timeout. Assert that an icon is not
    // shown with a timeout of 0 after something else on the window was seen.
    bool Shows(HICON icon, DWORD timeoutMs = kTimeout) const;

    // Waits until the text equals `text`; fails with the last text seen.
    void WaitForText(const std::string& text, DWORD timeoutMs = kTimeout, Where where = {}) const;
    // Waits until the window is destroyed.
    void WaitUntilGone(DWORD timeoutMs = kTimeout, Where where = {}) const;

    // "Button 1 \"OK\"": for failure messages.
    std::string Describe() const;

private:
    LRESULT Send(UINT message, WPARAM wparam, LPARAM lparam, const Where& where) const;

    HWND hwnd_ = nullptr;
};

// A rectangle in dialog units (left, top, width, height as a template gives them) converted to
// pixels for a dialog whose template font is `face` at `pointSize`, the way the dialog manager
// converts them (MapDialogRect cannot look into another process's dialog). The result holds
// left, top, right and bottom, comparable with Window::Rect() of a control.
RECT DialogUnitsToPixels(int left, int top, int width, int height, const char* face, int pointSize);

// Sends `message` and returns the result; fails when the target does not answer within a few
// seconds or the window is gone.
LRESULT SendTo(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, const Where& where);

} // namespace ui

// Rectangles compare by their four edges and print as "{left, top, right, bottom}", so that a
// test's EXPECT_EQ on two of them names the edges that differ.
inline bool operator==(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
inline void PrintTo(const RECT& r, std::ostream* out) {
    *out << "{" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << "}";
}
