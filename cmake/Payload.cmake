# The payload: the host-built packer compresses the four application files of
# KRZ_PAYLOAD_DIR, in file-list order, and puts them into a program linked without them (its
# stub) as RCDATA 129, exactly as a release engineer makes an installer from other files.
if(NOT KRZ_PACKER)
    message(FATAL_ERROR "KRZ_PACKER is not set: build the host side first and pass "
                        "-DKRZ_PACKER=<host build>/tools/krzpack (scripts/build.sh does both)")
endif()

set(KRZ_PAYLOAD_FILES ${KRZ_PAYLOAD_DIR}/KRZ.exe ${KRZ_PAYLOAD_DIR}/KRZ.hlp
                      ${KRZ_PAYLOAD_DIR}/KRZ.cnt ${KRZ_PAYLOAD_DIR}/Uninstall.exe)

# krz_add_payload(target stub output [files...]): the target `target` writes `output`, the
# program of target `stub` carrying the four files given (KRZ_PAYLOAD_FILES by default).
function(krz_add_payload target stub output)
    set(files ${ARGN})
    if(NOT files)
        set(files ${KRZ_PAYLOAD_FILES})
    endif()
    get_filename_component(name ${output} NAME)
    add_custom_command(
        OUTPUT ${output}
        COMMAND ${KRZ_PACKER} build ${output} $<TARGET_FILE:${stub}> ${files}
        DEPENDS ${stub} ${KRZ_PACKER} ${files}
        COMMENT "Putting the payload into ${name}"
        VERBATIM)
    add_custom_target(${target} ALL DEPENDS ${output})
endfunction()
