#include "drv/common/failure_text.h"
#include "drv/mcp2221/bridge_port.h"

#include <cerrno>
#include <cstring>

namespace lumivex::mcp2221 {

namespace {

std::string parse_serial(const std::string& value, std::string& serial) {
    if (value.empty())
        return "serial = needs the bridge's USB serial number (without the line: the first "
               "bridge found)";
    serial = value;
    return {};
}

std::string bridge_name(const std::string& serial) {
    return serial.empty() ? "MCP2221" : "MCP2221 serial " + serial;
}

#ifdef _WIN32
constexpr const char* not_found = "no bridge found (USB ID 04d8:00dd; Device Manager lists it "
                                  "under Human Interface Devices when it is plugged in)";
constexpr const char* in_use = "in use by another program";
constexpr const char* denied = "access denied (another program may have the bridge open)";
#else
constexpr const char* not_found =
    "no bridge found (USB ID 04d8:00dd; lsusb lists it when it is plugged in)";
constexpr const char* in_use =
    "in use by another program, or by the kernel's hid_mcp2221 driver (it is then an I2C bus "
    "for --port=i2c; sudo modprobe -r hid_mcp2221 lets go of it)";
constexpr const char* denied =
    "permission denied; let your user have it with the udev rule SUBSYSTEM==\"hidraw\", "
    "ATTRS{idVendor}==\"04d8\", ATTRS{idProduct}==\"00dd\", TAG+=\"uaccess\" in "
    "/etc/udev/rules.d/70-mcp2221.rules, then plug it in again";
#endif

std::string open_failure(int error, const drv::ConfigSource&) {
    switch (error) {
    case ENODEV:
        return not_found;
    case EBUSY:
        return in_use;
    case EACCES:
    case EPERM:
        return denied;
    case EIO:
        return "does not answer as an MCP2221";
    case EAGAIN:
        return "its I2C bus stays busy after a cancel (SDA or SCL held low?)";
    default:
        return std::strerror(error);
    }
}

// The PCF8574's addresses (0x20..0x27) and the PCF8574A's (0x38..0x3F) that answer.
std::string answering_addresses(backpack::I2cDevice& device, int descriptor,
                                const backpack::Backpack&) {
    std::string found;
    for (const unsigned first : {0x20u, 0x38u}) {
        for (unsigned address = first; address < first + 8; ++address) {
            std::uint8_t ignored = 0;
            if (device.set_address(descriptor, address) == 0 &&
                device.receive_byte(descriptor, ignored) == 0)
                found += (found.empty() ? "" : ", ") + backpack::hex_address(address);
        }
    }
    if (found.empty())
        return " (nor at any PCF8574 address, 0x20..0x27 or 0x38..0x3F: check SDA, SCL, GND "
               "and 5 V)";
    return " (answering: " + found + ")";
}

} // namespace

const backpack::BackpackBus bridge_bus = {
    .library = "mcp2221",
    .conf_variable = "LUMIVEX_MCP2221_CONF",
    .key = "serial",
    .fallback = "",
    .parse = parse_serial,
    .subject = bridge_name,
    .open_failure = open_failure,
    .no_answer_hint = answering_addresses,
};

} // namespace lumivex::mcp2221
