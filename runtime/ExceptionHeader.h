// The header that the C++ runtime keeps in front of each exception object, and its exception
// state, laid out as the C++ ABI defines them: what the runtime hooks (CxxRuntime.cpp) allocate
// and keep for the runtime, which must agree with the runtime's own idea of them (runtime_tests
// compares the two).
#pragma once

#include <unwind.h>

namespace runtime {

// The exception's type, destructor and handlers, the catch bookkeeping, then the unwinder's
// header. A dependent exception (std::rethrow_exception) is one of these alone, with a pointer
// to the original in place of the type.
struct CxaException {
    void* typeOrPrimary;
    void (*destructor)(void*);
    void (*unexpectedHandler)();
    void (*terminateHandler)();
    CxaException* next;
    int handlerCount;
    int handlerSwitchValue;
    const unsigned char* actionRecord;
    const unsigned char* languageSpecificData;
    _Unwind_Ptr catchTemp;
    void* adjustedPtr;
    _Unwind_Exception unwindHeader;
};

// A thrown object's header, right in front of the object: its reference count, then the above.
struct CxaRefcountedException {
    int referenceCount;
    CxaException exception;
};

// What __cxa_get_globals returns: the exceptions being handled, innermost first, and the
// number thrown but not yet caught.
struct CxaGlobals {
    void* caughtExceptions;
    unsigned int uncaughtExceptions;
};

} // namespace runtime
