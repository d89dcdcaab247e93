// The port library over /dev/parportN (ppdev): no root and no raw port I/O.
#include "drv/common/hardware_exports.h"
#include "drv/ppdev/ppdev_port.h"

namespace lumivex::drv {

namespace {

ppdev::PpdevPort& port() {
    static ppdev::PpdevPort port(ppdev::system_parport_device());
    return port;
}

} // namespace

bool open_hardware_port(const std::string& device_name, std::string& error) {
    if (port().open(device_name))
        return true;
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
