// The program's start-up, in place of the C runtime's: the installer takes no arguments, starts
// no console, imports no data and keeps no thread-local storage, so of that code's work only
// this remains: the C library's setting for a windowed program, the floating-point unit's
// reset, the static constructors, WinMain, and exit, which runs what atexit registered (the
// static destructors) before the process ends. Linked with -nostartfiles into the executable
// alone (krz_runtime).
#include <windows.h>

#include <cfloat>
#include <cstdlib>

extern "C" {

// The C library's own (msvcrt): the kind of program, which decides where its run-time error
// messages go (_GUI_APP: a message box).
void __cdecl __set_app_type(int type);
// The compiler's: runs the static constructors, and registers their destructors with atexit.
void __main();

int __cdecl atexit(void(__cdecl* function)()) {
    return _onexit(reinterpret_cast<_onexit_t>(function)) ? 0 : -1;
}

// The entry point that the linker gives a Windows program by this name (kept by the link-time
// optimisation, which sees no caller). 32-bit Windows calls it with the stack aligned to 4 bytes
// only; the code after it may keep 16.
[[noreturn, gnu::used, gnu::force_align_arg_pointer]] void WinMainCRTStartup() {
    __set_app_type(2);
    _fpreset();
    __main();

    // The command line after the program's name (quoted, when it holds spaces) and the spaces
    // after it.
    const char* tail = ::GetCommandLineA();
    for (bool quoted = false; *tail > ' ' || (*tail && quoted); ++tail)
        quoted ^= *tail == '"';
    while (*tail && *tail <= ' ')
        ++tail;
    STARTUPINFOA startup;
    startup.cb = sizeof startup;
    ::GetStartupInfoA(&startup);
    const int show = startup.dwFlags & STARTF_USESHOWWINDOW ? startup.wShowWindow : SW_SHOWDEFAULT;
    std::exit(WinMain(::GetModuleHandleA(nullptr), nullptr, const_cast<char*>(tail), show));
}

} // extern "C"
