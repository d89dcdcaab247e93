// The port library over /dev/parportN (ppdev): no root and no raw port I/O.
#include "drv/ppdev/ppdev_port.h"

lumivex::drv::HardwarePort& lumivex::drv::hardware_port() {
    static lumivex::ppdev::PpdevPort port(lumivex::ppdev::system_parport_device());
    return port;
}
