# Cross build for Windows. Two configurations: the product configuration (KRZ_PRODUCT) builds
# the programs that ship and nothing else; the test configuration builds the test programs (run
# under Wine) and, inside itself, a product configuration whose programs the tests run.
enable_language(RC)
set(KRZ_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix CACHE PATH "Wine prefix for the tests")
# The tests run each build where it runs natively: i686 in a 32-bit prefix, x86_64 in a 64-bit one.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
    set(KRZ_WINEARCH win32)
else()
    set(KRZ_WINEARCH win64)
endif()
configure_file(${CMAKE_SOURCE_DIR}/cmake/wine-run.in ${CMAKE_BINARY_DIR}/wine-run
               FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                WORLD_READ WORLD_EXECUTE @ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run)

# The packer is a host program; the host build makes it first (scripts/build.sh).
set(KRZ_PACKER "" CACHE FILEPATH "Host-built packer (krzpack)")
set(KRZ_PAYLOAD_DIR ${CMAKE_SOURCE_DIR}/sample CACHE PATH
    "Folder holding the four application files that the installer carries")
# The sample's programs are i686 builds (sample/make-sample.sh). A build for another
# architecture packs its own build of the sample's uninstaller instead, so that the uninstaller
# looks in the registry view its installer wrote to (on 64-bit Windows a 32-bit uninstaller sees
# the 32-bit view, and the x86_64 installer writes the 64-bit one); the product configuration
# builds it, and the test configuration compares with that one.
# KRZ_PACKED_DIR is the folder the payload is packed from.
set(KRZ_PRODUCT_DIR ${CMAKE_BINARY_DIR}/product)
set(KRZ_PACKED_DIR ${KRZ_PAYLOAD_DIR})
get_filename_component(krz_payload_dir ${KRZ_PAYLOAD_DIR} ABSOLUTE)
if(krz_payload_dir STREQUAL "${CMAKE_SOURCE_DIR}/sample" AND
   NOT CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
    if(KRZ_PRODUCT)
        set(KRZ_PACKED_DIR ${CMAKE_BINARY_DIR}/sample)
        add_executable(sample_uninstaller WIN32 ${CMAKE_SOURCE_DIR}/sample/src/Uninstall.c)
        set_target_properties(sample_uninstaller PROPERTIES OUTPUT_NAME Uninstall
                              RUNTIME_OUTPUT_DIRECTORY ${KRZ_PACKED_DIR})
        # Built as sample/make-sample.sh builds the committed one: for size, without the C
        # run-time library, and with no time stamp, so that the same source gives the same bytes.
        target_compile_options(sample_uninstaller PRIVATE -Os -fno-asynchronous-unwind-tables)
        target_link_libraries(sample_uninstaller PRIVATE ole32 user32 advapi32 kernel32)
        target_link_options(sample_uninstaller PRIVATE -s -nostdlib -nostartfiles
                                                       -Wl,--no-insert-timestamp)
        foreach(name KRZ.exe KRZ.hlp KRZ.cnt)
            configure_file(${KRZ_PAYLOAD_DIR}/${name} ${KRZ_PACKED_DIR}/${name} COPYONLY)
        endforeach()
    else()
        set(KRZ_PACKED_DIR ${KRZ_PRODUCT_DIR}/sample)
    endif()
endif()
include(${CMAKE_CURRENT_LIST_DIR}/Payload.cmake)

# Every Windows program is linked statically, so it needs nothing beside the system's own DLLs.
add_link_options(-static -static-libgcc -static-libstdc++)

# The same sources give the same bytes in any folder at any time: no time stamp in the PE
# header, no build or source path in the code.
add_link_options(-Wl,--no-insert-timestamp)
add_compile_options("$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${CMAKE_SOURCE_DIR}=.;-ffile-prefix-map=${CMAKE_BINARY_DIR}=.>")
add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601
                        # comctl32 is bound at run time (framework/SystemLibraries.cpp)
                        WINCOMMCTRLAPI=)

# The installer is downloaded: code built for size (-Oz: smaller than -Os, at some speed), each
# function and datum in its own section so that the link can drop what nothing uses.
add_compile_options("$<$<COMPILE_LANGUAGE:C,CXX>:-Oz;-ffunction-sections;-fdata-sections>")

if(KRZ_PRODUCT)
    # Optimised as one program, so that what nothing calls is left out (the runtime's unwind
    # tables would otherwise keep every function of an object file alive). Function-local
    # statics need no guard against a second thread: the only other threads, the Select Path
    # dialog's listing threads, run code that has none.
    add_compile_options("$<$<COMPILE_LANGUAGE:C,CXX>:-flto>"
                        "$<$<COMPILE_LANGUAGE:CXX>:-fno-threadsafe-statics>")
    # A link map beside each program, for bench/size.sh and the start-up check (runtime/).
    add_link_options(-flto -Oz "LINKER:-Map=$<TARGET_PROPERTY:NAME>.map")
    if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
        # The 32-bit system keeps the stack aligned to 4 bytes only (its callbacks arrive so), and
        # nothing in the program needs more: no code to keep 16.
        add_compile_options("$<$<COMPILE_LANGUAGE:C,CXX>:-mpreferred-stack-boundary=2>")
        add_link_options(-mpreferred-stack-boundary=2)
        # The Windows 95 and NT 4.0 loaders refuse a program that asks for a later subsystem.
        add_link_options(-Wl,--major-subsystem-version,4,--minor-subsystem-version,0)
    endif()
endif()

# The installer's start-up code and C++ runtime hooks (for the product configuration's programs
# alone), our stand-in for the platform's application framework, then the installer's
# subsystems.
if(KRZ_PRODUCT)
    add_subdirectory(runtime)
endif()
add_subdirectory(framework)
add_subdirectory(registry)
add_subdirectory(shell)
add_subdirectory(res)
add_subdirectory(selectpath)
add_subdirectory(app)

if(KRZ_PRODUCT)
    # Not a program that ships: the one test program built as the installer is, which this
    # configuration builds only when the test configuration asks for it (tests/runtime).
    add_subdirectory(tests/runtime)
else()
    # The programs that ship, built by a product configuration of their own (the shipped
    # compilers and options) in product/; the tests run those.
    include(ExternalProject)
    ExternalProject_Add(krz_product
        SOURCE_DIR ${CMAKE_SOURCE_DIR}
        BINARY_DIR ${KRZ_PRODUCT_DIR}
        PREFIX ${CMAKE_BINARY_DIR}/product-stamps
        CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE} -DCMAKE_BUILD_TYPE=Release
                   -DKRZ_PRODUCT=ON -DKRZ_PACKER=${KRZ_PACKER} -DKRZ_PAYLOAD_DIR=${KRZ_PAYLOAD_DIR}
        BUILD_ALWAYS ON
        INSTALL_COMMAND ""
        BUILD_BYPRODUCTS ${KRZ_PRODUCT_DIR}/app/krzsetup.exe ${KRZ_PRODUCT_DIR}/app/krzsetup-stub.exe)
    set(KRZ_INSTALLER ${KRZ_PRODUCT_DIR}/app/krzsetup.exe)
    set(KRZ_STUB ${KRZ_PRODUCT_DIR}/app/krzsetup-stub.exe)
    # The UI driver that the scenario tests, the benchmarks and the walkthrough drive with.
    add_subdirectory(uidriver)
    add_subdirectory(tests)
    # Programs that are not tests, built with the test drivers: the benchmarks', the README
    # picture's and the main command's walkthrough (scripts/run.sh).
    add_subdirectory(bench)
    add_subdirectory(docs)
    add_subdirectory(scripts/walkthrough)
endif()
