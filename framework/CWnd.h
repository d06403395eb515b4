// CWnd: a window handle with the calls made on it, and the message map through which a window
// class handles messages. A CWnd either wraps a window it does not own (a dialog's control, a
// window from GetDlgItem), or owns the window it created with CreateEx; or it subclasses a
// window (SubclassWindow, done by DDX_Control), so that its message map sees the window's
// messages before the window's own procedure does.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "AfxMessageMap.h"
#include "CString.h"

class CWnd {
public:
    CWnd() = default;
    explicit CWnd(HWND hwnd) : m_hWnd(hwnd) {}
    // Destroys a window made by CreateEx; gives a subclassed window its own procedure back.
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND m_hWnd = nullptr;

    // The CWnd that subclasses `hwnd`, or null.
    static CWnd* FromHandlePermanent(HWND hwnd);

    // Creates a child or popup window owned by this object.
    BOOL CreateEx(DWORD exStyle, const char* className, const char* windowName, DWORD style,
                  const RECT& rect, CWnd* parent, UINT id);

    // Routes `hwnd`'s messages through this object's message map first.
    BOOL SubclassWindow(HWND hwnd);
    // Gives the window its own procedure back and lets go of it.
    HWND UnsubclassWindow();

    // The child with control id `id`: the CWnd bound to it, or a wrapper that this window keeps
    // for as long as it lives. Null when there is no such child.
    CWnd* GetDlgItem(int id);

    void SetWindowText(const char* text) { ::SetWindowTextA(m_hWnd, text); }
    int GetWindowTextLength() const { return ::GetWindowTextLengthA(m_hWnd); }
    void GetWindowText(CString& text) const;

    BOOL ShowWindow(int command) { return ::ShowWindow(m_hWnd, command); }
    BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
    HWND SetFocus() { return ::SetFocus(m_hWnd); }

    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::SendMessageA(m_hWnd, message, wParam, lParam);
    }

    void GetWindowRect(RECT* rect) const { ::GetWindowRect(m_hWnd, rect); }
    void GetClientRect(RECT* rect) const { ::GetClientRect(m_hWnd, rect); }
    void ScreenToClient(RECT* rect) const;
    // Centres the window over its owner when the owner is visible and not minimised, else on
    // the work area of the screen the window is on; either way kept inside that work area.
    void CenterWindow();

    DWORD GetStyle() const { return DWORD(::GetWindowLongPtrA(m_hWnd, GWL_STYLE)); }
    // Removes the styles `remove`, adds `add`; with `flags`, SetWindowPos makes a frame change
    // take effect (SWP_FRAMECHANGED and the like). False when the style did not change.
    BOOL ModifyStyle(DWORD remove, DWORD add, UINT flags = 0);

    // WM_SETICON: `big` true for the large icon. Returns the previous icon.
    HICON SetIcon(HICON icon, BOOL big) {
        return reinterpret_cast<HICON>(
            SendMessage(WM_SETICON, big ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(icon)));
    }

    virtual const AfxMsgMap* GetMessageMap() const;
    static const AfxMsgMap* GetThisMessageMap();

protected:
    // Looks the message up in the message maps, from this class to the root; on a match calls
    // the handler, stores its result and returns true.
    bool OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    // From inside a handler: the window's default processing of the message being handled.
    LRESULT Default();

    // The message that a handler of this window is running for.
    struct CurrentMessage {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        bool passedOn; // a handler asked for the default processing
        LRESULT defaultResult;
    };
    class CurrentMessageScope;
    CurrentMessage* m_currentMessage = nullptr;

    // What Default() does: the subclassed window's own procedure, or DefWindowProc.
    virtual LRESULT DefaultProcessing(const CurrentMessage& message);

    // Drops the wrappers that GetDlgItem handed out (their windows are gone).
    void ForgetDlgItems() { m_children.clear(); }

private:
    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);

    WNDPROC m_superProc = nullptr;                 // the window's own procedure while subclassed
    bool m_ownsWindow = false;                     // made by CreateEx: destroyed with this object
    std::vector<std::unique_ptr<CWnd>> m_children; // wrappers handed out by GetDlgItem
};

// Sets a window's current message for the handler's duration, whatever it throws.
class CWnd::CurrentMessageScope {
public:
    CurrentMessageScope(CWnd& window, CurrentMessage& message)
        : m_window(window), m_outer(window.m_currentMessage) {
        window.m_currentMessage = &message;
    }
    ~CurrentMessageScope() { m_window.m_currentMessage = m_outer; }
    CurrentMessageScope(const CurrentMessageScope&) = delete;
    CurrentMessageScope& operator=(const CurrentMessageScope&) = delete;

private:
    CWnd& m_window;
    CurrentMessage* m_outer;
};

// The module whose resources (dialog templates, icons) the framework loads: the executable.
HINSTANCE AfxGetResourceHandle();
