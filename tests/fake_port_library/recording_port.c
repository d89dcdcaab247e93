/* A port library for tests, loaded by the program as drv/PORT.DLL. It appends one line per
 * call to port-calls.log in the current directory, takes as long over DELAY as a real one, answers
 * INPORT with the values listed in port-inport.txt (consumed in order, 0 when none is left), and
 * fails OPENCOM while a file named port-opencom-fails exists. Compiled once per left-out export
 * (WITHOUT_<NAME>). */
#if !defined(_WIN32)
#define _POSIX_C_SOURCE 199309L /* nanosleep */
#endif
#include "port/port_library.h"

#include <stdio.h>
#include <string.h>
#if defined(_WIN32)
#include <windows.h>
#else
#include <time.h>
#endif

static void record(const char* format, int a, int b) {
    FILE* log = fopen("port-calls.log", "a");
    if (log == NULL)
        return;
    fprintf(log, format, a, b);
    fputc('\n', log);
    fclose(log);
}

#ifndef WITHOUT_OPENCOM
int32_t PORT_LIBRARY_CALL OPENCOM(const char* device_name) {
    FILE* log = fopen("port-calls.log", "a");
    if (log != NULL) {
        fprintf(log, "OPENCOM %s\n", device_name);
        fclose(log);
    }
    FILE* refusal = fopen("port-opencom-fails", "r");
    if (refusal == NULL)
        return 1;
    fclose(refusal);
    return 0;
}
#endif

#ifndef WITHOUT_CLOSECOM
int32_t PORT_LIBRARY_CALL CLOSECOM(void) {
    record("CLOSECOM", 0, 0);
    return 1;
}
#endif

#ifndef WITHOUT_DELAY
int32_t PORT_LIBRARY_CALL DELAY(int32_t ms) {
    record("DELAY %d", ms, 0);
#if defined(_WIN32)
    Sleep((DWORD)ms);
#else
    const struct timespec length = {ms / 1000, (long)(ms % 1000) * 1000000L};
    nanosleep(&length, NULL);
#endif
    return 0;
}
#endif

#ifndef WITHOUT_DELAYUS
int32_t PORT_LIBRARY_CALL DELAYUS(int32_t us) {
    record("DELAYUS %d", us, 0);
    return 0;
}
#endif

#ifndef WITHOUT_INPORT
static int next_inport_value(void) {
    unsigned values[256];
    int count = 0;
    FILE* script = fopen("port-inport.txt", "r");
    if (script == NULL)
        return 0;
    while (count < 256 && fscanf(script, "%x", &values[count]) == 1)
        ++count;
    fclose(script);
    if (count == 0)
        return 0;
    script = fopen("port-inport.txt", "w");
    if (script != NULL) {
        for (int i = 1; i < count; ++i)
            fprintf(script, "%X\n", values[i]);
        fclose(script);
    }
    return (int)values[0];
}

int32_t PORT_LIBRARY_CALL INPORT(int32_t address) {
    record("INPORT %X", address, 0);
    return next_inport_value();
}
#endif

#ifndef WITHOUT_OUTPORT
int32_t PORT_LIBRARY_CALL OUTPORT(int32_t address, int32_t value) {
    record("OUTPORT %X %02X", address, value);
    return 0;
}
#endif
