/* A stand-in for InpOut32's DLL: appends each port access to port-calls.log in the current
 * directory as the recording port library writes it, answers reads from a small table, and
 * reports its driver closed while a file inpout-driver-closed is there. */
#include <stdio.h>
#include <windows.h>

static const struct {
    unsigned short address;
    short value;
} reads[] = {{0x379, 0x7F}, {0xD011, 0x87}};

static void record(const char* format, unsigned address, unsigned value) {
    FILE* log = fopen("port-calls.log", "a");
    if (log == NULL)
        return;
    fprintf(log, format, address, value);
    fputc('\n', log);
    fclose(log);
}

void __stdcall Out32(short address, short value) {
    record("OUTPORT %X %02X", (unsigned short)address, (unsigned short)value);
}

short __stdcall Inp32(short address) {
    record("INPORT %X", (unsigned short)address, 0);
    for (size_t i = 0; i < sizeof reads / sizeof reads[0]; ++i)
        if (reads[i].address == (unsigned short)address)
            return reads[i].value;
    return 0;
}

BOOL __stdcall IsInpOutDriverOpen(void) {
    return GetFileAttributesA("inpout-driver-closed") == INVALID_FILE_ATTRIBUTES;
}
