// Exceptions through the installer's own start-up code and C++ runtime hooks, in a program built
// and linked as the installer is (by the product configuration): its application object runs
// the scenarios and its exit code is the number that failed, each named on standard error.
#include <cxxabi.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <exception>
#include <new>
#include <typeinfo>

#include "CFileException.h"
#include "CWinApp.h"
#include "ExceptionHeader.h"

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

// The exception classes that the C++ runtime writes into the unwinder's header: "GNUCC++" and
// 0 for a thrown object, 1 for a dependent exception.
constexpr std::uint64_t kThrownClass = 0x474e5543432b2b00, kDependentClass = kThrownClass | 1;

// The hooks only reserve and zero the header in front of each exception; the runtime fills it.
// The runtime puts a thrown object's header where the hooks reserved it, and its fields where
// the hooks' layout has them, or it writes outside the hooks' block.
void HeaderWhereReserved() {
    void* const object = abi::__cxa_allocate_exception(sizeof(int));
    auto* const reserved = static_cast<runtime::CxaRefcountedException*>(object) - 1;
    const void* const header = abi::__cxa_init_primary_exception(
        object, const_cast<std::type_info*>(&typeid(int)), nullptr);
    Check("a thrown object's header: where the hooks reserved it", header == reserved);
    Check("a thrown object's header: its type where the hooks have it",
          reserved->exception.typeOrPrimary == &typeid(int));
    Check("a thrown object's header: the unwinder's where the hooks have it",
          reserved->exception.unwindHeader.exception_class == kThrownClass);
    abi::__cxa_free_exception(object);
}

// The same for a dependent exception, which std::rethrow_exception fills in a block of the
// hooks' and throws.
void DependentWhereReserved() {
    std::exception_ptr kept;
    const void* original = nullptr;
    try {
        throw 7;
    } catch (const int& caught) {
        kept = std::current_exception();
        original = &caught;
    }
    try {
        std::rethrow_exception(kept);
    } catch (int) {
        const auto* const globals =
            reinterpret_cast<runtime::CxaGlobals*>(abi::__cxa_get_globals());
        const auto* const dependent =
            static_cast<const runtime::CxaException*>(globals->caughtExceptions);
        Check("a dependent exception's header: its original where the hooks have it",
              dependent->typeOrPrimary == original);
        Check("a dependent exception's header: the unwinder's where the hooks have it",
              dependent->unwindHeader.exception_class == kDependentClass);
    }
}

class CRuntimeTestApp : public CWinApp {
public:
    BOOL InitInstance() override {
        HeaderWhereReserved();
        DependentWhereReserved();
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
