// No exception ever unwinds through Windows' own code. Every window and dialog procedure of the
// framework runs its handlers inside AfxCallGuarded: what a handler throws is caught there and
// parked, the innermost running modal dialog ends with -1, and its DoModal, back outside the
// callback, throws the exception again. Outside any modal dialog the exception stays parked
// until the framework's entry point or message loop throws it again.
#pragma once

#include <windows.h>

#include <exception>

class CWnd;

// Keeps `error` (the first one, when several arrive before the next rethrow) and ends the
// innermost running modal dialog with -1.
void AfxParkException(std::exception_ptr error);

// Throws the parked exception, if any, and forgets it.
void AfxRethrowParkedException();

// Runs one message's handling; returns `failed` when it throws.
template <class Handling> LRESULT AfxCallGuarded(Handling&& handling, LRESULT failed) noexcept {
    try {
        return handling();
    } catch (...) {
        AfxParkException(std::current_exception());
        return failed;
    }
}

// Marks `dialog` as the innermost running modal dialog for its lifetime.
class AfxModalScope {
public:
    explicit AfxModalScope(CWnd* dialog);
    ~AfxModalScope();
    AfxModalScope(const AfxModalScope&) = delete;
    AfxModalScope& operator=(const AfxModalScope&) = delete;

private:
    CWnd* m_dialog;
    AfxModalScope* m_outer;
};
