// Failures and waiting, shared by every part of the UI driver.
//
// A driver call that cannot do what it was asked (a window that never appears, a control that
// cannot be read, a process that does not end in time) throws ui::Failure. GoogleTest reports
// the exception's text, which names the line of the scenario that made the call, and ends the
// test; the RAII objects of the scenario then clean up (the process under test is killed).
#pragma once

#include <windows.h>

#include <functional>
#include <stdexcept>
#include <string>

namespace ui {

// How long the driver waits for something to happen unless told otherwise. Generous: a
// process start under Wine on a busy machine can take seconds.
constexpr DWORD kTimeout = 15000;

// How often a wait looks again.
constexpr DWORD kPollInterval = 10;

// The scenario line that called a driver function; filled in by default at the call site.
struct Where {
    const char* file;
    int line;
    Where(const char* f = __builtin_FILE(), int l = __builtin_LINE()) : file(f), line(l) {}
};

class Failure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Throws a Failure whose text starts with "file:line: ".
[[noreturn]] void Fail(const Where& where, const std::string& what);

// Calls `condition` until it returns true or `timeoutMs` has passed (it is called at least
// once, and once more at the deadline). Returns whether it held.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = kTimeout);

// "text" with control characters written as \r, \n, \t: for failure messages.
std::string Quote(const std::string& text);

} // namespace ui
