# The thread model of the mingw-w64 compilers. The product configuration (KRZ_PRODUCT, the
# programs that ship) uses win32: its runtime calls nothing newer than the oldest Windows the
# installer runs on and needs no winpthreads. The test configuration uses posix, which the test
# programs' std::thread and std::mutex need with this compiler.
if(KRZ_PRODUCT)
    set(krz_thread_model win32)
else()
    set(krz_thread_model posix)
endif()
# try_compile projects read this file again and must pick the same compilers.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES KRZ_PRODUCT)

set(CMAKE_C_COMPILER ${KRZ_MINGW_PREFIX}-gcc-${krz_thread_model})
set(CMAKE_CXX_COMPILER ${KRZ_MINGW_PREFIX}-g++-${krz_thread_model})
set(CMAKE_RC_COMPILER ${KRZ_MINGW_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${KRZ_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
