// The port library over /dev/gpiochipN: a display and LEDs on a board's GPIO lines.
#include "drv/gpio/gpio_port.h"

lumivex::drv::HardwarePort& lumivex::drv::hardware_port() {
    static lumivex::gpio::GpioPort port(lumivex::gpio::system_gpio_device());
    return port;
}
