# Starts PROGRAM with a setting file of its own under WORK and checks what it prints and its exit
# code, with no display to connect to: the program's own arguments alone need none. A program
# that opened its dialog instead would be stopped by the timeout.
cmake_minimum_required(VERSION 3.25)
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/lumivex)
set(ENV{XDG_CONFIG_HOME} ${WORK})
set(ENV{QT_QPA_PLATFORM} xcb)
unset(ENV{DISPLAY})
unset(ENV{WAYLAND_DISPLAY})

function(expect code output error)
    execute_process(COMMAND ${PROGRAM} ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE out
                    ERROR_VARIABLE err TIMEOUT 20)
    if(NOT result STREQUAL code OR NOT out MATCHES "${output}" OR NOT err MATCHES "${error}")
        message(FATAL_ERROR "lumivex ${ARGN}: exit code ${result}, output '${out}', error '${err}'")
    endif()
endfunction()

expect(2 "^$" "^lumivex: no port library named \"nope\" \\(found: sim[^)\n]*\\)\n$" --port=nope)
file(WRITE ${WORK}/lumivex/lumivex.conf "port = ./mine.so\n")
expect(0 "^\\./mine\\.so\n$" "^$" --chosen-port)
