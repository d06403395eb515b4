# Warnings are errors on every target of the project (not on the third-party test framework).
function(krz_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wcast-qual
                                             $<$<COMPILE_LANGUAGE:CXX>:-Wnon-virtual-dtor> -Werror)
endfunction()

# krz_library(target kind sources...): a library of the project, with its warnings.
function(krz_library target)
    add_library(${target} ${ARGN})
    krz_warnings(${target})
endfunction()

# krz_program(target [WIN32] sources...): a program of the project, with its warnings.
function(krz_program target)
    add_executable(${target} ${ARGN})
    krz_warnings(${target})
endfunction()

# krz_test(target sources...): a test program and its test, of the same name. The Windows
# build runs it through the build's emulator (Wine, cmake/wine-run.in).
function(krz_test target)
    krz_program(${target} ${ARGN})
    add_test(NAME ${target} COMMAND ${target})
endfunction()
