// The port library over a serial port: a display and LEDs on the pins of a board running the
// Lumivex sketch.
#include "drv/serial/serial_port.h"

lumivex::drv::HardwarePort& lumivex::drv::hardware_port() {
    static lumivex::serial::SerialPort port(lumivex::serial::system_serial_transport());
    return port;
}
