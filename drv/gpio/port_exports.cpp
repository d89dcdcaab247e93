// The port-library exports over /dev/gpiochipN: a display and LEDs on a board's GPIO lines.
#include "drv/common/precise_wait.h"
#include "drv/gpio/gpio_port.h"
#include "port/port_library.h"

#include <chrono>
#include <cstdio>

namespace {

lumivex::gpio::GpioPort& port() {
    static lumivex::gpio::GpioPort port(lumivex::gpio::system_gpio_device());
    return port;
}

} // namespace

extern "C" {

// The wiring is read afresh at every open. Why a port could not be had goes to standard error,
// one line; the program only learns "no".
PORT_LIBRARY_EXPORT int32_t PORT_LIBRARY_CALL OPENCOM(const char* device_name) {
    std::string error;
    const auto wirings = lumivex::gpio::load_wirings(error);
    if (wirings && port().open(device_name != nullptr ? device_name : "", *wirings))
        return 1;
    std::fprintf(stderr, "%s\n", wirings ? port().error().c_str() : error.c_str());
    return 0;
}

PORT_LIBRARY_EXPORT int32_t PORT_LIBRARY_CALL CLOSECOM(void) {
    port().close();
    return 1;
}

PORT_LIBRARY_EXPORT int32_t PORT_LIBRARY_CALL DELAY(int32_t ms) {
    if (ms > 0)
        lumivex::drv::wait_precisely(std::chrono::milliseconds(ms));
    return 0;
}

PORT_LIBRARY_EXPORT int32_t PORT_LIBRARY_CALL DELAYUS(int32_t us) {
    if (us > 0)
        lumivex::drv::wait_precisely(std::chrono::microseconds(us));
    return 0;
}

PORT_LIBRARY_EXPORT int32_t PORT_LIBRARY_CALL INPORT(int32_t address) {
    return port().read(address);
}

PORT_LIBRARY_EXPORT int32_t PORT_LIBRARY_CALL OUTPORT(int32_t address, int32_t value) {
    port().write(address, value);
    return 0;
}
}
