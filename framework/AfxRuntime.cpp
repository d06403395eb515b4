// Hooks of the C++ runtime that the program defines itself, so that the runtime's own
// versions, and the much larger parts of the runtime that they bring along, stay out of the
// executable. Linked into the executable directly (krz_winmain): the linker must see these
// definitions before it reads the runtime.
#include <cstdlib>
#include <exception>
#include <new>

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
