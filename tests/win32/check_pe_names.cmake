# Reads a Windows binary with objdump -p and checks either that every DLL it imports is one of
# Windows' own (CHECK=imports), or that it exports exactly the six port-library entries under
# their plain names (CHECK=exports).
cmake_minimum_required(VERSION 3.25)
execute_process(COMMAND ${OBJDUMP} -p ${FILE} OUTPUT_VARIABLE dump RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "${OBJDUMP} -p ${FILE} failed")
endif()

if(CHECK STREQUAL "imports")
    string(REGEX MATCHALL "DLL Name: [^\n]+" lines "${dump}")
    list(TRANSFORM lines REPLACE "DLL Name: " "")
    message(STATUS "imports: ${lines}")
    set(system_dlls kernel32.dll user32.dll gdi32.dll shell32.dll advapi32.dll msvcrt.dll
        winmm.dll)
    foreach(dll ${lines})
        string(TOLOWER ${dll} name)
        if(NOT name IN_LIST system_dlls)
            message(FATAL_ERROR "${FILE} needs ${dll}, which Windows does not bring")
        endif()
    endforeach()
elseif(CHECK STREQUAL "exports")
    string(REGEX MATCH "\\[Ordinal/Name Pointer\\] Table\n([^\n]+\n)+" table "${dump}")
    # Lines such as "[   0] CLOSECOM".
    string(REGEX MATCHALL "[[] *[0-9]+[]] [^\n]+" lines "${table}")
    list(TRANSFORM lines REPLACE "^[[] *[0-9]+[]] " "")
    message(STATUS "exports: ${lines}")
    if(NOT lines STREQUAL "CLOSECOM;DELAY;DELAYUS;INPORT;OPENCOM;OUTPORT")
        message(FATAL_ERROR "${FILE} should export CLOSECOM, DELAY, DELAYUS, INPORT, OPENCOM "
                            "and OUTPORT and nothing else")
    endif()
else()
    message(FATAL_ERROR "CHECK must be imports or exports")
endif()
