# Reads a Linux port library with nm and checks that it defines exactly the seven port-library
# entries as global symbols, and nothing else.
cmake_minimum_required(VERSION 3.25)
execute_process(COMMAND ${NM} -D --defined-only --format=just-symbols ${FILE}
    OUTPUT_VARIABLE dump RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "${NM} -D ${FILE} failed")
endif()
string(REGEX MATCHALL "[^\n]+" names "${dump}")
list(SORT names)
message(STATUS "exports: ${names}")
if(NOT names STREQUAL "CLOSECOM;DELAY;DELAYUS;INPORT;LASTERROR;OPENCOM;OUTPORT")
    message(FATAL_ERROR "${FILE} should export CLOSECOM, DELAY, DELAYUS, INPORT, LASTERROR, "
                        "OPENCOM and OUTPORT and nothing else")
endif()
