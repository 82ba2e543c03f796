# TORVEX_SANITIZE=thread|address|undefined (or a comma list such as address,undefined) builds
# everything with that sanitizer. TORVEX_FUZZ=ON (with clang) adds libFuzzer coverage to
# everything and builds the fuzz targets of tests/fuzz.
set(TORVEX_SANITIZE "" CACHE STRING "Sanitizer to build with: thread, address, undefined")
option(TORVEX_FUZZ "Build the libFuzzer targets (clang only)" OFF)

if(TORVEX_SANITIZE)
    add_compile_options(-fsanitize=${TORVEX_SANITIZE} -fno-omit-frame-pointer)
    add_link_options(-fsanitize=${TORVEX_SANITIZE})
endif()

if(TORVEX_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
        message(FATAL_ERROR "TORVEX_FUZZ needs clang (CXX=clang++)")
    endif()
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
endif()
