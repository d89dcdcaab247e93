#include "i2c_byte.h"

#include "protocol.h"

#include <Wire.h>

namespace {

bool started;

uint8_t refused(uint8_t address) {
    if (address < 0x08 || address > 0x77)
        return LUMIVEX_STATUS_BAD_COMMAND;
    if (!started) {
        Wire.begin();
        // A bus without pull-ups, or held low, would otherwise hang the board for good.
        Wire.setWireTimeout(25000, true);
        started = true;
    }
    return 0;
}

} // namespace

uint8_t i2c_write_byte(uint8_t address, uint8_t value) {
    if (const uint8_t status = refused(address))
        return status;
    Wire.beginTransmission(address);
    Wire.write(value);
    return Wire.endTransmission() == 0 ? 0 : LUMIVEX_STATUS_NACK;
}

uint8_t i2c_read_byte(uint8_t address, uint8_t* value) {
    *value = 0xFF;
    if (const uint8_t status = refused(address))
        return status;
    if (Wire.requestFrom(address, uint8_t(1)) != 1)
        return LUMIVEX_STATUS_NACK;
    *value = Wire.read();
    return 0;
}
