/* A port library for tests, loaded by the program as drv/PORT.DLL. It appends one line per
 * call to port-calls.log in the current directory, takes as long over DELAY as a real one and
 * reads 0 from every register. */
#if !defined(_WIN32)
#define _POSIX_C_SOURCE 199309L /* nanosleep */
#endif
#include "port/port_library.h"

#include <stdarg.h>
#include <stdio.h>
#if defined(_WIN32)
#include <windows.h>
#else
#include <time.h>
#endif

static void record(const char* format, ...) {
    FILE* log = fopen("port-calls.log", "a");
    if (log == NULL)
        return;
    va_list values;
    va_start(values, format);
    vfprintf(log, format, values);
    va_end(values);
    fputc('\n', log);
    fclose(log);
}

int32_t PORT_LIBRARY_CALL OPENCOM(const char* device_name) {
    record("OPENCOM %s", device_name);
    return 1;
}

int32_t PORT_LIBRARY_CALL CLOSECOM(void) {
    record("CLOSECOM");
    return 1;
}

int32_t PORT_LIBRARY_CALL DELAY(int32_t ms) {
    record("DELAY %d", (int)ms);
#if defined(_WIN32)
    Sleep((DWORD)ms);
#else
    const struct timespec length = {ms / 1000, (long)(ms % 1000) * 1000000L};
    nanosleep(&length, NULL);
#endif
    return 0;
}

int32_t PORT_LIBRARY_CALL DELAYUS(int32_t us) {
    record("DELAYUS %d", (int)us);
    return 0;
}

int32_t PORT_LIBRARY_CALL INPORT(int32_t address) {
    record("INPORT %X", (unsigned)address);
    return 0;
}

int32_t PORT_LIBRARY_CALL OUTPORT(int32_t address, int32_t value) {
    record("OUTPORT %X %02X", (unsigned)address, (unsigned)value);
    return 0;
}
