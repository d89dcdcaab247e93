// The port library over /dev/i2c-N: a display on a PCF8574 I2C backpack.
#include "drv/i2c/backpack_port.h"

lumivex::drv::HardwarePort& lumivex::drv::hardware_port() {
    static lumivex::i2c::BackpackPort port(lumivex::i2c::system_i2c_device());
    return port;
}
