// The port library over /dev/gpiochipN: a display and LEDs on a board's GPIO lines.
#include "drv/common/hardware_exports.h"
#include "drv/gpio/gpio_port.h"

namespace lumivex::drv {

namespace {

gpio::GpioPort& port() {
    static gpio::GpioPort port(gpio::system_gpio_device());
    return port;
}

} // namespace

// The wiring is read afresh at every open.
bool open_hardware_port(const std::string& device_name, std::string& error) {
    const auto wirings = gpio::load_wirings(error);
    if (wirings && port().open(device_name, *wirings))
        return true;
    if (wirings)
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
