// One byte to or from a PCF8574 over I2C (Wire, SDA A4, SCL A5). The bus is set up at the first
// transfer, so a board without a backpack never touches A4 and A5.
#ifndef LUMIVEX_I2C_BYTE_H
#define LUMIVEX_I2C_BYTE_H

#include <stdint.h>

// Both return 0 or a LUMIVEX_STATUS_ bit: NACK when nothing acknowledged (or the bus hung),
// BAD_COMMAND for an address outside 0x08..0x77 (then the bus is left alone).
uint8_t i2c_write_byte(uint8_t address, uint8_t value);
// *value is 0xFF when the read failed.
uint8_t i2c_read_byte(uint8_t address, uint8_t* value);

#endif
