// Where the display and the LEDs are connected. Change it here, then upload again.
#ifndef LUMIVEX_WIRING_H
#define LUMIVEX_WIRING_H

#include "protocol.h"

#include <stdint.h>

// 1: the display sits on a PCF8574 I2C backpack (SDA on A4, SCL on A5), at this address
// (0x3F for a PCF8574A), and the pins below stay untouched. 0: the display and the LEDs are
// wired to the pins below.
#ifndef LUMIVEX_BACKPACK
#define LUMIVEX_BACKPACK 0
#endif
#define LUMIVEX_BACKPACK_ADDRESS 0x27

// The Arduino pin of each line (LUMIVEX_UNWIRED for none), in the order of the lines: D0 .. D7,
// RS, R/W, E. The default is the usual 4-bit tutorial wiring (RS 12, E 11, D4..D7 on 5, 4, 3, 2)
// with R/W on 10 for reads and D0..D3 on 6..9 for the 8-bit bus; the eight LEDs hang on D0..D7.
// Leave pins 0 and 1 free: they carry the USB serial link. With R/W tied to ground on the
// display, write LUMIVEX_UNWIRED for it.
static const uint8_t line_pins[LUMIVEX_LINE_COUNT] = {
#if LUMIVEX_BACKPACK
    LUMIVEX_UNWIRED, LUMIVEX_UNWIRED, LUMIVEX_UNWIRED, LUMIVEX_UNWIRED,
    LUMIVEX_UNWIRED, LUMIVEX_UNWIRED, LUMIVEX_UNWIRED, LUMIVEX_UNWIRED,
    LUMIVEX_UNWIRED, LUMIVEX_UNWIRED, LUMIVEX_UNWIRED,
#else
    6,  7, 8, 9, // D0 .. D3 (8-bit bus, LEDs 0 .. 3)
    5,  4, 3, 2, // D4 .. D7 (LEDs 4 .. 7)
    12,          // RS
    10,          // R/W
    11,          // E
#endif
};

#endif
