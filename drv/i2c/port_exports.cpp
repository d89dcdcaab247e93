// The port library over /dev/i2c-N: a display on a PCF8574 I2C backpack.
#include "drv/common/hardware_exports.h"
#include "drv/i2c/backpack_port.h"

namespace lumivex::drv {

namespace {

i2c::BackpackPort& port() {
    static i2c::BackpackPort port(i2c::system_i2c_device());
    return port;
}

} // namespace

// The configuration is read afresh at every open.
bool open_hardware_port(const std::string& device_name, std::string& error) {
    const auto backpacks = i2c::load_backpacks(error);
    if (backpacks && port().open(device_name, *backpacks))
        return true;
    if (backpacks)
        error = port().error();
    return false;
}

void close_hardware_port() {
    port().close();
}

int read_hardware_port(int address) {
    return port().read(address);
}

void write_hardware_port(int address, int value) {
    port().write(address, value);
}

} // namespace lumivex::drv
