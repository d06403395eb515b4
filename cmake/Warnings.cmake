# Warnings are errors on every target of the project (not on the third-party test framework).
function(krz_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wcast-qual
                                             -Wnon-virtual-dtor -Werror)
endfunction()
