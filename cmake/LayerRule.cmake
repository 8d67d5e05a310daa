# Only the transfer layer (vorn_transfer) calls libcurl. Its headers sit on the compiler's own search path,
# and a static library hands the libraries it links on to whatever links it, so neither the include path
# nor the link line keeps libcurl out of the other layers. Instead every other target's objects are read
# as soon as it is built, and a call into libcurl fails the build.
#
#   cmake -DNM=<nm> -DTARGET=<name> -DFILES=<objects> -P LayerRule.cmake   (what the build runs)
if(CMAKE_SCRIPT_MODE_FILE)
    execute_process(COMMAND ${NM} --undefined-only --portability ${FILES}
                    OUTPUT_VARIABLE symbols COMMAND_ERROR_IS_FATAL ANY)
    string(REGEX MATCHALL "(^|\n)curl_[A-Za-z0-9_]+" calls "${symbols}")
    if(calls)
        list(TRANSFORM calls STRIP)
        list(REMOVE_DUPLICATES calls)
        list(JOIN calls ", " calls)
        message(FATAL_ERROR "${TARGET} calls libcurl (${calls}): only src/transfer may")
    endif()
    return()
endif()

# Checks every library and program the calling folder's CMakeLists.txt made, but vorn_transfer.
function(vorn_layer_rule)
    get_property(targets DIRECTORY PROPERTY BUILDSYSTEM_TARGETS)
    foreach(target IN LISTS targets)
        get_target_property(type ${target} TYPE)
        if(target STREQUAL vorn_transfer OR NOT type MATCHES "^(STATIC_LIBRARY|EXECUTABLE)$")
            continue()
        endif()
        add_custom_command(TARGET ${target} POST_BUILD
            COMMAND ${CMAKE_COMMAND} -DNM=${CMAKE_NM} -DTARGET=${target} "-DFILES=$<TARGET_OBJECTS:${target}>"
                    -P ${CMAKE_CURRENT_FUNCTION_LIST_FILE}
            VERBATIM)
    endforeach()
endfunction()
