# Turns a data file into a C++ source holding its bytes, so the program carries
# its own copy and needs nothing beside it at run time.
function(torvex_embed_file input output symbol)
    add_custom_command(
        OUTPUT ${output}
        COMMAND ${CMAKE_COMMAND} -DINPUT=${input} -DOUTPUT=${output} -DSYMBOL=${symbol}
                -P ${PROJECT_SOURCE_DIR}/cmake/EmbedFileScript.cmake
        DEPENDS ${input} ${PROJECT_SOURCE_DIR}/cmake/EmbedFileScript.cmake
        COMMENT "Embedding ${input}"
        VERBATIM)
endfunction()
