// The port-library exports over /dev/i2c-N: a display on a PCF8574 I2C backpack.
#include "drv/common/precise_wait.h"
#include "drv/i2c/backpack_port.h"
#include "port/port_library.h"

#include <chrono>
#include <cstdio>

namespace {

lumivex::i2c::BackpackPort& port() {
    static lumivex::i2c::BackpackPort port(lumivex::i2c::system_i2c_device());
    return port;
}

} // namespace

extern "C" {

// The configuration is read afresh at every open. Why a port could not be had goes to standard
// error, one line; the program only learns "no".
PORT_LIBRARY_EXPORT int32_t PORT_LIBRARY_CALL OPENCOM(const char* device_name) {
    std::string error;
    const auto backpacks = lumivex::i2c::load_backpacks(error);
    if (backpacks && port().open(device_name != nullptr ? device_name : "", *backpacks))
        return 1;
    std::fprintf(stderr, "%s\n", backpacks ? port().error().c_str() : error.c_str());
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
