# The Windows zip holds what users unpack and nothing else: lumivex.exe, the help page,
# drv/README.txt, the simulated port as drv/PORT.DLL, and any other port library as
# drv/<name>/PORT.DLL, which drv/README.txt must name, with its drv/<name>/<name>.conf when the
# sources have one; and the Arduino sketch's sources, as firmware/arduino/lumivex/ has them.
# Usage: cmake -DZIP=<zip> -DSOURCE_DIR=<sources> -DSIM_PORT=<the simulated port's DLL>
#              -DSCRATCH=<folder> -P check_zip.cmake
cmake_minimum_required(VERSION 3.25)
execute_process(COMMAND ${CMAKE_COMMAND} -E tar tf ${ZIP}
    OUTPUT_VARIABLE listing COMMAND_ERROR_IS_FATAL ANY)
string(REGEX REPLACE "\n$" "" listing "${listing}")
string(REPLACE "\n" ";" entries "${listing}")

file(GLOB_RECURSE expected RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/HELP/*)
file(GLOB sketch RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/firmware/arduino/lumivex/*)
list(APPEND expected lumivex.exe drv/README.txt drv/PORT.DLL ${sketch})
file(READ ${SOURCE_DIR}/resources/drv/README.txt readme)
foreach(entry ${entries})
    if(entry MATCHES "^drv/([^/]+)/PORT\\.DLL$")
        list(APPEND expected ${entry})
        set(configuration drv/${CMAKE_MATCH_1}/${CMAKE_MATCH_1}.conf)
        if(EXISTS ${SOURCE_DIR}/${configuration})
            list(APPEND expected ${configuration})
        endif()
        string(FIND "${readme}" "drv\\${CMAKE_MATCH_1}\\PORT.DLL" named)
        if(named EQUAL -1)
            message(SEND_ERROR "drv/README.txt does not say what drv\\${CMAKE_MATCH_1}\\PORT.DLL is for")
        endif()
    endif()
endforeach()
list(SORT entries)
list(SORT expected)
if(NOT entries STREQUAL expected)
    message(FATAL_ERROR "the zip holds\n  ${entries}\nexpected\n  ${expected}")
endif()

file(REMOVE_RECURSE ${SCRATCH})
file(MAKE_DIRECTORY ${SCRATCH})
execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf ${ZIP} drv/PORT.DLL
    WORKING_DIRECTORY ${SCRATCH} COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${SCRATCH}/drv/PORT.DLL ${SIM_PORT}
    RESULT_VARIABLE differs)
if(differs)
    message(FATAL_ERROR "the zip's drv/PORT.DLL is not the simulated port")
endif()
message(STATUS "lumivex-win32.zip: ${entries}")
