# Native build: the packer, the codec's host tests, benchmarks and fuzzers.
option(KRZ_SANITIZE "Build with AddressSanitizer and UBSan" OFF)
if(KRZ_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
endif()

add_subdirectory(tools)
add_subdirectory(bench)
add_subdirectory(fuzz)
add_subdirectory(tests)
