# TORVEX_SANITIZE=thread|address|undefined (or a comma list such as address,undefined) builds
# everything with that sanitizer. TORVEX_FUZZ=ON (with clang) adds libFuzzer coverage to
# everything, builds it all with AddressSanitizer and UndefinedBehaviorSanitizer and builds the
# fuzz targets of tests/fuzz; the same build runs the whole test suite under both sanitizers.
set(TORVEX_SANITIZE "" CACHE STRING "Sanitizers to build with: thread, address, undefined or a comma list")
option(TORVEX_FUZZ "Build the libFuzzer targets (clang only)" OFF)

set(torvex_sanitizers "${TORVEX_SANITIZE}")
if(TORVEX_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
        message(FATAL_ERROR "TORVEX_FUZZ needs clang (CXX=clang++)")
    endif()
    add_compile_options(-fsanitize=fuzzer-no-link)
    string(REGEX REPLACE "(^|,)(address|undefined)" "" torvex_sanitizers "${torvex_sanitizers}")
    string(REGEX REPLACE "^,+" "" torvex_sanitizers "${torvex_sanitizers}")
    if(torvex_sanitizers)
        message(FATAL_ERROR "TORVEX_FUZZ builds with address,undefined; it cannot add ${torvex_sanitizers}")
    endif()
    set(torvex_sanitizers "address,undefined")
endif()

if(torvex_sanitizers)
    add_compile_options(-fsanitize=${torvex_sanitizers} -fno-omit-frame-pointer)
    add_link_options(-fsanitize=${torvex_sanitizers})
    if(torvex_sanitizers MATCHES "undefined")
        # Undefined behaviour stops the program like any other finding, so no report scrolls by unnoticed.
        add_compile_options(-fno-sanitize-recover=undefined)
    endif()
endif()
