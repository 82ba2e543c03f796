# Our own code builds without warnings; third-party headers come in as system includes.
function(torvex_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wno-missing-field-initializers)
    if(TORVEX_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()
option(TORVEX_WERROR "Treat warnings in our code as errors" ON)
