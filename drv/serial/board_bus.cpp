#include "drv/serial/board_bus.h"

#include "firmware/arduino/lumivex/protocol.h"

#include <cerrno>

namespace lumivex::serial {

namespace {

// The device did not acknowledge, the board lost or refused a command, or it has gone.
int failure(unsigned status, const std::string& link_error) {
    if (!link_error.empty())
        return ENODEV;
    if ((status & (LUMIVEX_STATUS_OVERFLOW | LUMIVEX_STATUS_BAD_COMMAND)) != 0)
        return EIO;
    return (status & LUMIVEX_STATUS_NACK) != 0 ? ENXIO : 0;
}

std::string device_name(const std::string& value, std::string& bus) {
    bus = value;
    return {};
}

std::string named(const std::string& bus) {
    return bus;
}

std::string no_hint(backpack::I2cDevice&, int, const backpack::Backpack&) {
    return " on the board's A4 (SDA) and A5 (SCL); the sketch's backpack address must match it";
}

std::string unreachable(int, const drv::ConfigSource&) {
    return {};
}

} // namespace

const backpack::BackpackBus board_backpack_bus = {
    .library = "serial",
    .conf_variable = "LUMIVEX_SERIAL_CONF",
    .key = "device",
    .fallback = "auto",
    .parse = device_name,
    .subject = named,
    .open_failure = unreachable,
    .no_answer_hint = no_hint,
};

int BoardBus::set_address(int, unsigned address) {
    address_ = address;
    return 0;
}

int BoardBus::send_byte(int, std::uint8_t value) {
    const std::string error = link_.i2c_write(address_, value);
    return failure(link_.take_status(), error);
}

int BoardBus::receive_byte(int, std::uint8_t& value) {
    unsigned status = 0;
    const std::string error = link_.i2c_read(address_, value, status);
    return failure(status | link_.take_status(), error);
}

} // namespace lumivex::serial
