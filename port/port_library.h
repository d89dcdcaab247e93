/* The port-library contract: six exports that every drv/PORT.DLL provides, and a seventh,
 * LASTERROR, that a library may offer.
 * Plain C, shared by the program and the port libraries. All integers are 32-bit signed;
 * the device name is a zero-terminated byte string ("LPT1:" or "LPT2:"). On 32-bit Windows
 * the entries are stdcall with undecorated names (exported through a .def file). */
#ifndef LUMIVEX_PORT_LIBRARY_H
#define LUMIVEX_PORT_LIBRARY_H

#include <stdint.h>

#if defined(_WIN32)
#define PORT_LIBRARY_CALL __stdcall
#define PORT_LIBRARY_EXPORT
#else
#define PORT_LIBRARY_CALL
#define PORT_LIBRARY_EXPORT __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Opens the device; non-zero on success, 0 otherwise. */
typedef int32_t(PORT_LIBRARY_CALL* PortOpencom)(const char* device_name);
/* Closes the device; the result is ignored. */
typedef int32_t(PORT_LIBRARY_CALL* PortClosecom)(void);
/* Returns after ms milliseconds. */
typedef int32_t(PORT_LIBRARY_CALL* PortDelay)(int32_t ms);
/* Returns after us microseconds. */
typedef int32_t(PORT_LIBRARY_CALL* PortDelayus)(int32_t us);
/* The value at an I/O address; the program uses its low 8 bits. */
typedef int32_t(PORT_LIBRARY_CALL* PortInport)(int32_t address);
/* Writes value to an I/O address; the result is ignored. */
typedef int32_t(PORT_LIBRARY_CALL* PortOutport)(int32_t address, int32_t value);
/* Optional. Copies the reason for the last failure (why OPENCOM returned 0), one line of UTF-8
 * without a line break, into buffer: at most size - 1 bytes, then a zero byte. Returns the
 * reason's full length, 0 when nothing has failed. The program asks for it when OPENCOM fails
 * and shows it below its own notice; a library without it is shown the notice alone. */
typedef int32_t(PORT_LIBRARY_CALL* PortLasterror)(char* buffer, int32_t size);

PORT_LIBRARY_EXPORT int32_t PORT_LIBRARY_CALL OPENCOM(const char* device_name);
PORT_LIBRARY_EXPORT int32_t PORT_LIBRARY_CALL CLOSECOM(void);
PORT_LIBRARY_EXPORT int32_t PORT_LIBRARY_CALL DELAY(int32_t ms);
PORT_LIBRARY_EXPORT int32_t PORT_LIBRARY_CALL DELAYUS(int32_t us);
PORT_LIBRARY_EXPORT int32_t PORT_LIBRARY_CALL INPORT(int32_t address);
PORT_LIBRARY_EXPORT int32_t PORT_LIBRARY_CALL OUTPORT(int32_t address, int32_t value);
PORT_LIBRARY_EXPORT int32_t PORT_LIBRARY_CALL LASTERROR(char* buffer, int32_t size);

#ifdef __cplusplus
}
#endif

#endif
