# The payload: the host-built packer compresses the four application files of
# KRZ_PACKED_DIR (see Windows.cmake), in file-list order, into ${KRZ_PAYLOAD_BIN}; res/payload.rc embeds that
# file as RCDATA 129. A target whose resource script includes "payload.rc" calls
# krz_embed_payload(target).
if(NOT KRZ_PACKER)
    message(FATAL_ERROR "KRZ_PACKER is not set: build the host side first and pass "
                        "-DKRZ_PACKER=<host build>/tools/krzpack (scripts/build.sh does both)")
endif()

set(KRZ_PAYLOAD_FILES ${KRZ_PACKED_DIR}/KRZ.exe ${KRZ_PACKED_DIR}/KRZ.hlp
                      ${KRZ_PACKED_DIR}/KRZ.cnt ${KRZ_PACKED_DIR}/Uninstall.exe)
set(krz_payload_depends ${KRZ_PACKER} ${KRZ_PAYLOAD_FILES})
if(TARGET sample_uninstaller)
    list(APPEND krz_payload_depends sample_uninstaller)
endif()
set(KRZ_PAYLOAD_BIN ${CMAKE_BINARY_DIR}/payload/payload.bin)
add_custom_command(
    OUTPUT ${KRZ_PAYLOAD_BIN}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/payload
    COMMAND ${KRZ_PACKER} pack ${KRZ_PAYLOAD_BIN} ${KRZ_PAYLOAD_FILES}
    DEPENDS ${krz_payload_depends}
    COMMENT "Packing the application files into payload/payload.bin"
    VERBATIM)
add_custom_target(krz_payload_bin DEPENDS ${KRZ_PAYLOAD_BIN})

# Makes `target`'s resource scripts find payload.rc and payload.bin, and rebuilds them when
# the payload changes.
function(krz_embed_payload target)
    add_dependencies(${target} krz_payload_bin)
    target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR}/res
                                                 ${CMAKE_BINARY_DIR}/payload)
    get_target_property(sources ${target} SOURCES)
    get_target_property(sourceDir ${target} SOURCE_DIR)
    foreach(source IN LISTS sources)
        if(source MATCHES "\\.rc$")
            get_filename_component(source ${source} ABSOLUTE BASE_DIR ${sourceDir})
            set_property(SOURCE ${source} TARGET_DIRECTORY ${target} APPEND
                         PROPERTY OBJECT_DEPENDS ${KRZ_PAYLOAD_BIN} ${CMAKE_SOURCE_DIR}/res/payload.rc)
        endif()
    endforeach()
endfunction()
