// The port-library exports of a library for real hardware: the waits are the shared precise
// wait, fine-grained while a port is open and told to the library's own port first, the
// registers that port's (hardware_exports.h).
#include "drv/common/hardware_exports.h"

#include "drv/common/last_error.h"
#include "drv/common/precise_wait.h"
#include "port/port_library.h"

#include <chrono>
#include <optional>

using namespace lumivex::drv;

namespace {
std::optional<FineWaits> fine_waits; // while a port is open
}

extern "C" {

// Why a port could not be had goes to standard error, one line, and stays for LASTERROR.
PORT_LIBRARY_EXPORT int32_t PORT_LIBRARY_CALL OPENCOM(const char* device_name) {
    fine_waits.reset();
    if (!hardware_port().open_port(device_name != nullptr ? device_name : ""))
        return refuse_port(hardware_port().error());
    forget_refusal();
    fine_waits.emplace();
    return 1;
}

PORT_LIBRARY_EXPORT int32_t PORT_LIBRARY_CALL CLOSECOM(void) {
    hardware_port().close();
    fine_waits.reset();
    return 1;
}

PORT_LIBRARY_EXPORT int32_t PORT_LIBRARY_CALL DELAY(int32_t ms) {
    if (ms > 0) {
        hardware_port().pause(std::chrono::milliseconds(ms));
        wait_precisely(std::chrono::milliseconds(ms));
    }
    return 0;
}

PORT_LIBRARY_EXPORT int32_t PORT_LIBRARY_CALL DELAYUS(int32_t us) {
    if (us > 0) {
        hardware_port().pause(std::chrono::microseconds(us));
        wait_precisely(std::chrono::microseconds(us));
    }
    return 0;
}

PORT_LIBRARY_EXPORT int32_t PORT_LIBRARY_CALL INPORT(int32_t address) {
    return hardware_port().read(address);
}

PORT_LIBRARY_EXPORT int32_t PORT_LIBRARY_CALL OUTPORT(int32_t address, int32_t value) {
    hardware_port().write(address, value);
    return 0;
}

PORT_LIBRARY_EXPORT int32_t PORT_LIBRARY_CALL LASTERROR(char* buffer, int32_t size) {
    return copy_last_refusal(buffer, size);
}
}
