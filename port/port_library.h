/* The port-library contract: six exports that every drv/PORT.DLL provides.
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

PORT_LIBRARY_EXPORT int32_t PORT_LIBRARY_CALL OPENCOM(const char* device_name);
PORT_LIBRARY_EXPORT int32_t PORT_LIBRARY_CALL CLOSECOM(void);
PORT_LIBRARY_EXPORT int32_t PORT_LIBRARY_CALL DELAY(int32_t ms);
PORT_LIBRARY_EXPORT int32_t PORT_LIBRARY_CALL DELAYUS(int32_t us);
PORT_LIBRARY_EXPORT int32_t PORT_LIBRARY_CALL INPORT(int32_t address);
PORT_LIBRARY_EXPORT int32_t PORT_LIBRARY_CALL OUTPORT(int32_t address, int32_t value);

#ifdef __cplusplus
}
#endif

#endif
