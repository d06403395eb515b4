// Exceptions through the installer's own start-up code and C++ runtime hooks, in a program linked
// as the installer is (krz_runtime, without the C runtime's start-up code): its application
// object runs the scenarios and its exit code is the number that failed, each named on
// standard error.
#include <cstdio>
#include <cstring>
#include <exception>
#include <new>

#include "CFileException.h"
#include "CWinApp.h"

namespace {

int g_failures = 0;
int g_destroyed = 0;
int g_uncaughtInDestructor = -1;

void Check(const char* scenario, bool passed) {
    if (!passed) {
        ++g_failures;
        std::fprintf(stderr, "runtime_tests: %s: failed\n", scenario);
    }
}

struct Counted {
    ~Counted() { ++g_destroyed; }
};

struct Watcher {
    ~Watcher() { g_uncaughtInDestructor = std::uncaught_exceptions(); }
};

// Each frame holds an object to destroy on the way out, as the installation run's frames do.
[[gnu::noinline]] void ThrowDiskFull(int depth) {
    Counted local;
    if (depth > 0)
        ThrowDiskFull(depth - 1);
    else if (depth == 0)
        CFileException::ThrowOsError(ERROR_DISK_FULL, "C:\\KRZ.exe");
}

void DeepFileError() {
    g_destroyed = 0;
    try {
        ThrowDiskFull(8);
        Check("a file error eight frames deep: thrown", false);
    } catch (const std::exception& error) {
        Check("a file error eight frames deep: every frame's object destroyed", g_destroyed == 9);
        Check("a file error eight frames deep: its text",
              std::strcmp(error.what(), "Disk full: C:\\KRZ.exe") == 0);
    }
}

// As the framework parks an exception at a window procedure and throws it again outside.
void KeptAndThrownAgain() {
    std::exception_ptr kept;
    try {
        ThrowDiskFull(1);
    } catch (...) {
        kept = std::current_exception();
    }
    const void* first = nullptr;
    for (int round = 0; round < 2; ++round) {
        try {
            std::rethrow_exception(kept);
        } catch (const CFileException& error) {
            if (round == 0)
                first = &error;
            else
                Check("kept and thrown twice: the same object", &error == first);
        }
    }
}

void CaughtInsideAHandler() {
    try {
        throw 7;
    } catch (int outer) {
        try {
            throw std::bad_alloc();
        } catch (const std::bad_alloc&) {
        }
        try {
            throw;
        } catch (int again) {
            Check("caught inside a handler: the outer one still handled", again == outer);
        }
    }
}

void UncaughtWhileUnwinding() {
    try {
        Watcher watcher;
        ThrowDiskFull(0);
    } catch (const CFileException&) {
        Check("uncaught while unwinding: one", g_uncaughtInDestructor == 1);
        Check("uncaught while unwinding: none in the handler", std::uncaught_exceptions() == 0);
    }
}

void ManyInTurn() {
    int caught = 0;
    for (int i = 0; i < 10000; ++i) {
        try {
            ThrowDiskFull(0);
        } catch (const CFileException&) {
            ++caught;
        }
    }
    Check("10,000 in turn", caught == 10000);
}

extern "C" void RunWithCleanup(void (*function)(), int* cleanups);

extern "C" void ThrowFromC() {
    ThrowDiskFull(0);
}

void ThroughCCleanup() {
    int cleanups = 0;
    try {
        RunWithCleanup(ThrowFromC, &cleanups);
    } catch (const CFileException&) {
        Check("through a C function's cleanup: run once", cleanups == 1);
        return;
    }
    Check("through a C function's cleanup: caught", false);
}

class CRuntimeTestApp : public CWinApp {
public:
    BOOL InitInstance() override {
        DeepFileError();
        KeptAndThrownAgain();
        CaughtInsideAHandler();
        UncaughtWhileUnwinding();
        ManyInTurn();
        ThroughCCleanup();
        return FALSE;
    }
    int ExitInstance() override { return g_failures; }
};

// Registered by its constructor, which the start-up code runs before WinMain.
CRuntimeTestApp theApp;

} // namespace
