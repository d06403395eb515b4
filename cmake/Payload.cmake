# The payload: the host-built packer compresses the four application files of
# KRZ_PACKED_DIR (see Windows.cmake), in file-list order, and puts them into a program linked
# without them (its stub) as RCDATA 129, exactly as a release engineer makes an installer from
# other files.
if(NOT KRZ_PACKER)
    message(FATAL_ERROR "KRZ_PACKER is not set: build the host side first and pass "
                        "-DKRZ_PACKER=<host build>/tools/krzpack (scripts/build.sh does both)")
endif()

set(KRZ_PAYLOAD_FILES ${KRZ_PACKED_DIR}/KRZ.exe ${KRZ_PACKED_DIR}/KRZ.hlp
                      ${KRZ_PACKED_DIR}/KRZ.cnt ${KRZ_PACKED_DIR}/Uninstall.exe)

# krz_add_payload(target stub output [files...]): the target `target` writes `output`, the
# stub (a program target, or the file of one the product configuration makes) carrying the four
# files given (KRZ_PAYLOAD_FILES by default).
function(krz_add_payload target stub output)
    set(files ${ARGN})
    set(depends ${files})
    if(NOT files)
        set(files ${KRZ_PAYLOAD_FILES})
        set(depends ${files})
        # The packed folder's uninstaller may be this build's own (Windows.cmake).
        if(TARGET sample_uninstaller)
            list(APPEND depends sample_uninstaller)
        endif()
    endif()
    if(TARGET ${stub})
        set(stubFile $<TARGET_FILE:${stub}>)
        list(APPEND depends ${stub})
    else()
        set(stubFile ${stub})
        list(APPEND depends ${stub})
    endif()
    # In the test configuration, the stub and the packed folder come from the product's.
    if(TARGET krz_product)
        list(APPEND depends krz_product)
    endif()
    get_filename_component(name ${output} NAME)
    add_custom_command(
        OUTPUT ${output}
        COMMAND ${KRZ_PACKER} build ${output} ${stubFile} ${files}
        DEPENDS ${KRZ_PACKER} ${depends}
        COMMENT "Putting the payload into ${name}"
        VERBATIM)
    add_custom_target(${target} ALL DEPENDS ${output})
endfunction()
