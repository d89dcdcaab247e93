# Fails when a C or C++ source of the project differs from what clang-format makes of it.
cmake_minimum_required(VERSION 3.25)
# Everything but the build folders, which can hold large trees (a Wine prefix links to /).
file(GLOB top_level RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/*)
list(REMOVE_ITEM top_level build)
set(sources)
foreach(entry ${top_level})
    if(entry MATCHES "\\.(c|cpp|h)$")
        list(APPEND sources ${entry})
    elseif(IS_DIRECTORY ${SOURCE_DIR}/${entry})
        file(GLOB_RECURSE found RELATIVE ${SOURCE_DIR}
            ${SOURCE_DIR}/${entry}/*.c ${SOURCE_DIR}/${entry}/*.cpp ${SOURCE_DIR}/${entry}/*.h)
        list(APPEND sources ${found})
    endif()
endforeach()
execute_process(COMMAND ${CLANG_FORMAT} --dry-run -Werror ${sources}
    WORKING_DIRECTORY ${SOURCE_DIR} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "clang-format: the files above need formatting")
endif()
