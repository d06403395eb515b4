# Checks a program linked with this folder's start-up code for what the C runtime's start-up
# code would have done for it and this one does not, and fails the build, saying why, instead
# of letting the program crash when it runs:
# - pseudo-relocations: data that the program takes from a DLL without declaring it imported
#   (the linker's auto-import), patched into place before main by the C runtime's start-up;
# - a TLS directory or a .tls section: thread-local storage, set up by the C runtime;
# - a .CRT section: initialisers and TLS callbacks that the C runtime's start-up calls.
# A program that fails is removed, so that the next build links and checks it again.
# Usage: cmake -DPROGRAM=program -DMAP=its-link-map -DOBJDUMP=objdump -P CheckProgram.cmake
get_filename_component(name "${PROGRAM}" NAME)

function(fail)
    string(CONCAT text ${ARGN})
    file(REMOVE "${PROGRAM}")
    message(FATAL_ERROR "${name}: ${text}\n${name} was removed.")
endfunction()
set(own "The program's own start-up code (runtime/Startup.cpp) does not do that.")

if(NOT EXISTS "${MAP}")
    fail("no link map ${MAP} to read its pseudo-relocations from.")
endif()
file(STRINGS "${MAP}" sizes REGEX "^ +0x[0-9a-f]+ +__rt_psrelocs_size = ")
if(NOT sizes)
    fail("its link map ${MAP} does not say the size of its pseudo-relocations.")
endif()
foreach(line IN LISTS sizes)
    if(NOT line MATCHES "^ +0x0+ ")
        string(REGEX REPLACE "^ +(0x[0-9a-f]+) .*" "\\1" size "${line}")
        math(EXPR size "${size}")
        fail("the link made pseudo-relocations (${size} bytes): the program uses data of a DLL "
             "that its declaration does not mark __declspec(dllimport), which the C runtime's "
             "start-up code patches in before main. ${own} Declare the datum imported, or "
             "leave it out.")
    endif()
endforeach()

execute_process(COMMAND "${OBJDUMP}" -h -p "${PROGRAM}" OUTPUT_VARIABLE dump
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    fail("${OBJDUMP} cannot read it.")
endif()
if(NOT dump MATCHES "\nEntry 9 [0-9a-f]+ [0-9a-f]+ Thread Storage Directory")
    fail("${OBJDUMP} shows no TLS directory entry.")
endif()
if(dump MATCHES "\nEntry 9 0*[1-9a-f][0-9a-f]* " OR dump MATCHES "\n +[0-9]+ \\.tls ")
    fail("it has thread-local storage (a TLS directory or a .tls section), which the C "
         "runtime's start-up code sets up: data placed in a .tls section, or an object that "
         "brings the TLS directory (_tls_used). ${own}")
endif()
if(dump MATCHES "\n +[0-9]+ \\.CRT ")
    fail("it has a .CRT section: initialisers or TLS callbacks that the C runtime's start-up "
         "code calls, from an object that registers them there. ${own}")
endif()
