// Message maps: every window class that handles messages lists them in one constant table of
// (message, notification code, control id, handler). A window's procedure walks the table of
// its own class, then those of its base classes, and calls the first entry that matches.
//
// In the class declaration:
//     DECLARE_MESSAGE_MAP()
// In its source file:
//     BEGIN_MESSAGE_MAP(CMyDlg, CDialog)
//         ON_BN_CLICKED(IDOK, OnInstall)                  // void OnInstall()
//         ON_NOTIFY(TVN_SELCHANGEDA, 1013, OnSelChanged)  // void OnSelChanged(NMHDR*, LRESULT*)
//         ON_WM_PAINT()                                   // void OnPaint()
//         ON_WM_QUERYDRAGICON()                           // HCURSOR OnQueryDragIcon()
//         ON_WM_SETFOCUS()                                // void OnSetFocus(HWND previous)
//     END_MESSAGE_MAP()
//
// Each entry holds a thunk made for the handler's exact signature, so a handler with another
// signature does not compile.
#pragma once

#include <windows.h>

#include <type_traits>

class CWnd;

// Unpacks the message's parameters for one handler, calls it and returns the message result.
using AfxHandlerThunk = LRESULT (*)(CWnd* target, WPARAM wParam, LPARAM lParam);

// Messages (those a program registers included) and control ids fit in 16 bits, which keeps
// the tables small.
struct AfxMsgMapEntry {
    WORD message;          // WM_COMMAND, WM_NOTIFY or any other message
    WORD id;               // control id for WM_COMMAND and WM_NOTIFY, else 0
    UINT code;             // notification code for WM_COMMAND and WM_NOTIFY, else 0
    AfxHandlerThunk thunk; // null in the entry that ends the table
};

struct AfxMsgMap {
    const AfxMsgMap* (*base)(); // the base class's map, or null for the root
    const AfxMsgMapEntry* entries;
};

namespace afx {

template <class> struct Member;
template <class C, class R, class... A> struct Member<R (C::*)(A...)> {
    using Class = C;
    using Signature = R(A...);
};

template <auto Handler, class Signature>
inline constexpr bool kHasSignature =
    std::is_same_v<typename Member<decltype(Handler)>::Signature, Signature>;

// The window whose map holds the entry is of the handler's class or derived from it.
template <auto Handler> auto* Target(CWnd* window) {
    return static_cast<typename Member<decltype(Handler)>::Class*>(window);
}

template <auto Handler> LRESULT NoArguments(CWnd* window, WPARAM, LPARAM) {
    static_assert(kHasSignature<Handler, void()>, "this handler is: void f()");
    (Target<Handler>(window)->*Handler)();
    return 0;
}

template <auto Handler> LRESULT Notify(CWnd* window, WPARAM, LPARAM lParam) {
    static_assert(kHasSignature<Handler, void(NMHDR*, LRESULT*)>,
                  "a notification handler is: void f(NMHDR* header, LRESULT* result)");
    LRESULT result = 0;
    (Target<Handler>(window)->*Handler)(reinterpret_cast<NMHDR*>(lParam), &result);
    return result;
}

template <auto Handler> LRESULT QueryDragIcon(CWnd* window, WPARAM, LPARAM) {
    static_assert(kHasSignature<Handler, HCURSOR()>, "this handler is: HCURSOR f()");
    return reinterpret_cast<LRESULT>((Target<Handler>(window)->*Handler)());
}

template <auto Handler> LRESULT SetFocus(CWnd* window, WPARAM wParam, LPARAM) {
    static_assert(kHasSignature<Handler, void(HWND)>, "this handler is: void f(HWND previous)");
    (Target<Handler>(window)->*Handler)(reinterpret_cast<HWND>(wParam));
    return 0;
}

} // namespace afx

#define DECLARE_MESSAGE_MAP()                                                                      \
public:                                                                                            \
    static const AfxMsgMap* GetThisMessageMap();                                                   \
    const AfxMsgMap* GetMessageMap() const override;

// clang-format off
#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                                     \
    const AfxMsgMap* theClass::GetMessageMap() const { return GetThisMessageMap(); }               \
    const AfxMsgMap* theClass::GetThisMessageMap() {                                               \
        using ThisClass [[maybe_unused]] = theClass;                                               \
        using TheBaseClass = baseClass;                                                            \
        static const AfxMsgMapEntry entries[] = {

#define END_MESSAGE_MAP()                                                                          \
            {0, 0, 0, nullptr}};                                                                   \
        static const AfxMsgMap map = {&TheBaseClass::GetThisMessageMap, entries};                  \
        return &map;                                                                               \
    }
// clang-format on

#define ON_BN_CLICKED(id, memberFn)                                                                \
    {WM_COMMAND, WORD(id), BN_CLICKED, &afx::NoArguments<&ThisClass::memberFn>},
#define ON_NOTIFY(code, id, memberFn)                                                              \
    {WM_NOTIFY, WORD(id), UINT(code), &afx::Notify<&ThisClass::memberFn>},
#define ON_WM_PAINT() {WM_PAINT, 0, 0, &afx::NoArguments<&ThisClass::OnPaint>},
#define ON_WM_QUERYDRAGICON()                                                                      \
    {WM_QUERYDRAGICON, 0, 0, &afx::QueryDragIcon<&ThisClass::OnQueryDragIcon>},
#define ON_WM_SETFOCUS() {WM_SETFOCUS, 0, 0, &afx::SetFocus<&ThisClass::OnSetFocus>},
