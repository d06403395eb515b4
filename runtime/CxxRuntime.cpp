// Hooks of the C++ runtime that the program defines itself, so that the runtime's own
// versions, and the much larger parts of the runtime that they bring along, stay out of the
// executable. Linked into the executable directly (krz_runtime): the linker must see these
// definitions before it reads the runtime.
#include <unwind.h>
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <new>

#include "ExceptionHeader.h"

// What runs when the runtime has to give up on an exception (one thrown while another unwinds,
// or one that leaves a function that may not throw). The runtime's default prints the
// exception's demangled type on standard error, which a GUI program does not have, and then
// aborts; this one aborts at once, without the demangler.
namespace __gnu_cxx {
void __verbose_terminate_handler() {
    std::abort();
}
} // namespace __gnu_cxx

// What the containers throw when an allocation fails or a size is beyond what they can hold.
// The runtime's versions throw the standard classes, whose text members bring in both of the
// runtime's string implementations; these throw bad_alloc as they do, and in place of
// length_error an exception with the same message, which is what the framework's entry point
// shows (nothing in the program catches length_error itself).
namespace {
class CRuntimeError : public std::exception {
public:
    explicit CRuntimeError(const char* message) noexcept : m_message(message) {}
    const char* what() const noexcept override { return m_message; }

private:
    const char* m_message; // the runtime passes string literals
};
} // namespace

namespace std {
void __throw_bad_alloc() {
    throw bad_alloc();
}

void __throw_bad_array_new_length() {
    throw bad_array_new_length();
}

void __throw_length_error(const char* message) {
    throw CRuntimeError(message);
}
} // namespace std

// The C++ runtime's per-thread exception state and its exception allocation, which bring
// thread-local storage emulation, the thread library and a memory pool with its lock. Only the
// user-interface thread ever throws (the Select Path dialog's listing threads allocate
// everything before they start, and a throw there would end the process at their noexcept
// entry), so the state is one static object, and the exception objects come from malloc, with
// a small static reserve for when it fails, as the runtime's own pool is for: an out-of-memory
// error can still be thrown and reported.
namespace {

using runtime::CxaException;
using runtime::CxaGlobals;
using runtime::CxaRefcountedException;

CxaGlobals g_globals;

// The reserve: a few blocks large enough for any exception the program throws.
constexpr std::size_t kReserveBlocks = 4;
constexpr std::size_t kReserveBlockSize = 512;
alignas(16) unsigned char g_reserve[kReserveBlocks * kReserveBlockSize];
bool g_reserveUsed[kReserveBlocks];

void* Allocate(std::size_t size) {
    void* block = std::malloc(size);
    for (std::size_t i = 0; !block && i < kReserveBlocks && size <= kReserveBlockSize; ++i) {
        if (!g_reserveUsed[i]) {
            g_reserveUsed[i] = true;
            block = g_reserve + i * kReserveBlockSize;
        }
    }
    if (!block)
        std::terminate();
    return block;
}

void Free(void* block) {
    const auto address = reinterpret_cast<std::uintptr_t>(block);
    const auto reserve = reinterpret_cast<std::uintptr_t>(g_reserve);
    if (address - reserve < sizeof g_reserve)
        g_reserveUsed[(address - reserve) / kReserveBlockSize] = false;
    else
        std::free(block);
}

} // namespace

extern "C" {

CxaGlobals* __cxa_get_globals() noexcept {
    return &g_globals;
}

CxaGlobals* __cxa_get_globals_fast() noexcept {
    return &g_globals;
}

void* __cxa_allocate_exception(std::size_t size) noexcept {
    void* header = Allocate(size + sizeof(CxaRefcountedException));
    std::memset(header, 0, sizeof(CxaRefcountedException));
    return static_cast<CxaRefcountedException*>(header) + 1;
}

void __cxa_free_exception(void* object) noexcept {
    Free(static_cast<CxaRefcountedException*>(object) - 1);
}

void* __cxa_allocate_dependent_exception() noexcept {
    void* exception = Allocate(sizeof(CxaException));
    std::memset(exception, 0, sizeof(CxaException));
    return exception;
}

void __cxa_free_dependent_exception(void* exception) noexcept {
    Free(exception);
}

} // extern "C"

#if defined(__i386__) && !defined(__SEH__) && !defined(__USING_SJLJ_EXCEPTIONS__)
// The unwinder's search for the frame description of a code address (32-bit Windows unwinds with
// the DWARF frame tables). The runtime's own search keeps a registry of tables, filled by the
// start-up code, sorted on first use and guarded by locks; this program has one table, the
// linker's .eh_frame section, and reads it in place. Its records: a 32-bit length (of what
// follows), a 32-bit id, 0 for a common information entry (CIE), otherwise the distance back
// from the id to the CIE of this frame description entry (FDE); an FDE then holds the first
// address and the length of its code, in the pointer encoding that its CIE names.

// A word in the program's .eh_frame, wherever the linker puts it, by which the search finds
// the section. It reads as a record of length 0, which the search skips like the table's end
// marker.
extern "C" const DWORD krzFrameTableMark __attribute__((section(".eh_frame"), used)) = 0;
extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace {

// The pointer encodings that the compiler uses in these tables.
constexpr unsigned char kEncodingAbsolute = 0x00, kEncodingUnsigned2 = 0x02,
                        kEncodingUnsigned4 = 0x03, kEncodingSigned2 = 0x0a, kEncodingSigned4 = 0x0b,
                        kEncodingPcRelative = 0x10;

// Reads a value stored in `encoding` at `p` and moves `p` past it; false for an encoding this
// search does not read (the frame's unwinding then fails as for a frame without a table).
bool ReadEncoded(const unsigned char*& p, unsigned char encoding, _Unwind_Ptr& value) {
    const unsigned char* const at = p;
    switch (encoding & 0x0f) {
    case kEncodingAbsolute:
    case kEncodingUnsigned4:
    case kEncodingSigned4: {
        DWORD word;
        std::memcpy(&word, p, 4);
        value = word;
        p += 4;
        break;
    }
    case kEncodingUnsigned2:
    case kEncodingSigned2: {
        WORD half;
        std::memcpy(&half, p, 2);
        value = (encoding & 0x0f) == kEncodingSigned2 ? _Unwind_Ptr(short(half)) : half;
        p += 2;
        break;
    }
    default:
        return false;
    }
    switch (encoding & 0x70) {
    case 0:
        break;
    case kEncodingPcRelative:
        value += _Unwind_Ptr(at);
        break;
    default:
        return false;
    }
    return true;
}

void SkipLeb128(const unsigned char*& p) {
    while (*p++ & 0x80) {
    }
}

// The encoding of the addresses in the FDEs of `cie`: its 'R' augmentation, absolute without
// one; false for a CIE this search does not read.
bool ReadFdeEncoding(const unsigned char* cie, unsigned char& encoding) {
    const unsigned char* p = cie + 8;
    const unsigned char version = *p++;
    const char* const augmentation = reinterpret_cast<const char*>(p);
    p += std::strlen(augmentation) + 1;
    encoding = kEncodingAbsolute;
    if (augmentation[0] != 'z')
        return augmentation[0] == '\0';
    SkipLeb128(p); // code alignment factor
    SkipLeb128(p); // data alignment factor
    if (version == 1)
        ++p; // return address register
    else
        SkipLeb128(p);
    SkipLeb128(p); // length of the augmentation data
    for (const char* letter = augmentation + 1; *letter; ++letter) {
        _Unwind_Ptr personality;
        switch (*letter) {
        case 'R':
            encoding = *p;
            return true;
        case 'L': // the encoding of the FDEs' language-specific data
            ++p;
            break;
        case 'P': // the personality routine, in the encoding given first
            ++p;
            if (!ReadEncoded(p, p[-1] & 0x7f, personality))
                return false;
            break;
        case 'S': // a signal frame
            break;
        default:
            return false;
        }
    }
    return true;
}

} // namespace

extern "C" {

struct dwarf_eh_bases {
    void* tbase;
    void* dbase;
    void* func;
};

const void* _Unwind_Find_FDE(void* pc, dwarf_eh_bases* bases) {
    const auto* const image = reinterpret_cast<const unsigned char*>(&__ImageBase);
    const auto* const headers =
        reinterpret_cast<const IMAGE_NT_HEADERS*>(image + __ImageBase.e_lfanew);
    const DWORD mark = DWORD(reinterpret_cast<const unsigned char*>(&krzFrameTableMark) - image);
    const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(headers);
    const IMAGE_SECTION_HEADER* const sectionsEnd = section + headers->FileHeader.NumberOfSections;
    while (section != sectionsEnd && !(mark >= section->VirtualAddress &&
                                       mark - section->VirtualAddress < section->Misc.VirtualSize))
        ++section;
    if (section == sectionsEnd)
        return nullptr;

    const unsigned char* const begin = image + section->VirtualAddress;
    const unsigned char* const end = begin + section->Misc.VirtualSize;
    const auto address = _Unwind_Ptr(pc);
    const unsigned char* lastCie = nullptr;
    unsigned char encoding = 0;
    bool readable = false;
    for (const unsigned char* record = begin; end - record >= 8;) {
        DWORD length, id;
        std::memcpy(&length, record, 4);
        std::memcpy(&id, record + 4, 4);
        if (length == 0) {
            record += 4;
            continue;
        }
        if (length > DWORD(end - record) - 4)
            break;
        const unsigned char* const cie = record + 4 - id;
        if (id != 0 && cie >= begin && cie < record) {
            if (cie != lastCie) {
                lastCie = cie;
                readable = ReadFdeEncoding(cie, encoding);
            }
            const unsigned char* p = record + 8;
            _Unwind_Ptr start, size;
            if (readable && ReadEncoded(p, encoding, start) &&
                ReadEncoded(p, encoding & 0x0f, size) && address >= start &&
                address - start < size) {
                bases->tbase = nullptr;
                bases->dbase = nullptr;
                bases->func = reinterpret_cast<void*>(start);
                return record;
            }
        }
        record += 4 + length;
    }
    return nullptr;
}

// The personality routine of C code with cleanups. The link-time optimisation names it for
// every C++ function it rebuilds whose only exception handling is cleanups (destructors run on
// the way out, nothing caught), wherever in the program it is. Their tables are the C++
// routine's own (call sites with cleanups, no types to match, every call that may throw
// listed), so it forwards to that routine instead of bringing the runtime's C one along. Kept
// for the link-time optimisation, which adds the reference after it has dropped what nothing
// called.
_Unwind_Reason_Code __gxx_personality_v0(int, _Unwind_Action, _Unwind_Exception_Class,
                                         _Unwind_Exception*, _Unwind_Context*);

[[gnu::used]] _Unwind_Reason_Code __gcc_personality_v0(int version, _Unwind_Action actions,
                                                       _Unwind_Exception_Class exceptionClass,
                                                       _Unwind_Exception* exception,
                                                       _Unwind_Context* context) {
    return __gxx_personality_v0(version, actions, exceptionClass, exception, context);
}

// The start-up code's registration of the table, which the search above does not need.
void __register_frame_info(const void*, void*) {}

void* __deregister_frame_info(const void*) {
    return nullptr;
}

} // extern "C"
#endif
