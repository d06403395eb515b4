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
# The sample's programs are i686 builds (sample/make-sample.sh). A build for another
# architecture packs its own build of the sample's uninstaller instead, so that the installer it
# makes can also be uninstalled where it runs (the x86_64 build under a 64-bit-only Wine).
# KRZ_PACKED_DIR is the folder the payload is packed from.
set(KRZ_PACKED_DIR ${KRZ_PAYLOAD_DIR})
get_filename_component(krz_payload_dir ${KRZ_PAYLOAD_DIR} ABSOLUTE)
if(krz_payload_dir STREQUAL "${CMAKE_SOURCE_DIR}/sample" AND
   NOT CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
    set(KRZ_PACKED_DIR ${CMAKE_BINARY_DIR}/sample)
    add_executable(sample_uninstaller WIN32 ${CMAKE_SOURCE_DIR}/sample/src/Uninstall.c)
    set_target_properties(sample_uninstaller PROPERTIES OUTPUT_NAME Uninstall
                          RUNTIME_OUTPUT_DIRECTORY ${KRZ_PACKED_DIR})
    target_link_libraries(sample_uninstaller PRIVATE ole32 uuid)
    target_link_options(sample_uninstaller PRIVATE -s)
    foreach(name KRZ.exe KRZ.hlp KRZ.cnt)
        configure_file(${KRZ_PAYLOAD_DIR}/${name} ${KRZ_PACKED_DIR}/${name} COPYONLY)
    endforeach()
endif()
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
