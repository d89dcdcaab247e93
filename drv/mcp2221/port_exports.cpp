// The port library over an MCP2221 USB-to-I2C bridge: a display on a PCF8574 I2C backpack.
#include "drv/mcp2221/bridge_port.h"

lumivex::drv::HardwarePort& lumivex::drv::hardware_port() {
    static lumivex::mcp2221::BridgePort port(lumivex::mcp2221::system_hid_transport());
    return port;
}
