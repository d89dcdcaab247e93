#pragma once

#include "drv/backpack/backpack_port.h"
#include "drv/mcp2221/mcp2221_device.h"

namespace lumivex::mcp2221 {

// The MCP2221's I2C bus: "serial = " picks a bridge by its USB serial number, the first found
// when none is given; mcp2221.conf, LUMIVEX_MCP2221_CONF. When nothing answers at the
// backpack's address, the PCF8574's and PCF8574A's addresses that do are named.
extern const backpack::BackpackBus bridge_bus;

// Holds the device for the port, which is built after it.
struct BridgeDevice {
    explicit BridgeDevice(HidTransport& hid) : device(hid) {}
    Mcp2221Device device;
};

// A backpack on an MCP2221 reached through `hid`.
class BridgePort final : private BridgeDevice, public backpack::BackpackPort {
public:
    explicit BridgePort(HidTransport& hid)
        : BridgeDevice(hid), backpack::BackpackPort(device, bridge_bus) {}
};

} // namespace lumivex::mcp2221
