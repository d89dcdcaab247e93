// The port library over InpOut32: a real parallel port on Windows.
#include "drv/inpout/inpout_port.h"

lumivex::drv::HardwarePort& lumivex::drv::hardware_port() {
    static lumivex::inpout::InpOutPort port(lumivex::inpout::system_inpout_dll());
    return port;
}
