#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace lumivex::mcp2221 {

// One HID report of the MCP2221, either way: the command or answer code first. The chip numbers
// no reports.
using Report = std::array<std::uint8_t, 64>;

// The system's way to one MCP2221 (Linux hidraw, Windows' HID driver). Tests substitute their
// own.
class HidTransport {
public:
    virtual ~HidTransport() = default;
    // Opens the first bridge (USB 04D8:00DD) with the USB serial number `serial`, or the first of
    // all when it is empty: 0, or the errno value of the failure: ENODEV none is there, EBUSY
    // another program or driver has it, EACCES the user may not open it.
    virtual int open(const std::string& serial) = 0;
    // Each returns 0, or the errno value of the failure (ENODEV once the bridge is unplugged).
    virtual int send(const Report& report) = 0;
    // The next report from the bridge, waited for no longer than a working bridge takes (a
    // fraction of a second; ETIMEDOUT then).
    virtual int receive(Report& report) = 0;
    virtual void close() = 0;
};

HidTransport& system_hid_transport();

} // namespace lumivex::mcp2221
