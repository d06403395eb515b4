# Cross build for Windows: the installer, its test programs (run under Wine) and the test driver.
enable_language(RC)
set(KRZ_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix CACHE PATH "Wine prefix for the tests")
configure_file(${CMAKE_SOURCE_DIR}/cmake/wine-run.in ${CMAKE_BINARY_DIR}/wine-run
               FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                WORLD_READ WORLD_EXECUTE @ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run)

# The packer is a host program; the host build makes it first (scripts/build.sh).
set(KRZ_PACKER "" CACHE FILEPATH "Host-built packer (krzpack)")
set(KRZ_PAYLOAD_DIR ${CMAKE_SOURCE_DIR}/sample CACHE PATH
    "Folder holding the four application files that the installer carries")
include(${CMAKE_CURRENT_LIST_DIR}/Payload.cmake)

# Every Windows program is linked statically, so it needs nothing beside the system's own DLLs.
add_link_options(-static -static-libgcc -static-libstdc++)
add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601
                        # comctl32 is bound at run time (framework/SystemLibraries.cpp)
                        WINCOMMCTRLAPI=)

# The installer is downloaded: code built for size, each function and datum in its own section so
# that the link can drop what nothing uses.
add_compile_options("$<$<COMPILE_LANGUAGE:C,CXX>:-Os;-ffunction-sections;-fdata-sections>")

# Our stand-in for the platform's application framework, then the installer's subsystems.
add_subdirectory(framework)
add_subdirectory(system)
add_subdirectory(folder)
add_subdirectory(res)
add_subdirectory(app)
add_subdirectory(tests)
