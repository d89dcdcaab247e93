// The port-library exports over /dev/parportN (ppdev): no root and no raw port I/O.
#include "drv/common/precise_wait.h"
#include "drv/ppdev/ppdev_port.h"
#include "port/port_library.h"

#include <chrono>
#include <cstdio>

namespace {

lumivex::ppdev::PpdevPort& port() {
    static lumivex::ppdev::PpdevPort port(lumivex::ppdev::system_parport_device());
    return port;
}

} // namespace

extern "C" {

// Why a port could not be had goes to standard error, one line; the program only learns "no".
PORT_LIBRARY_EXPORT int32_t PORT_LIBRARY_CALL OPENCOM(const char* device_name) {
    if (port().open(device_name != nullptr ? device_name : ""))
        return 1;
    std::fprintf(stderr, "%s\n", port().error().c_str());
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
