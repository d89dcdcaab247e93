#include "drv/i2c/backpack_port.h"

#include "drv/common/failure_text.h"
#include "port/lpt_wiring.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace lumivex::i2c {

namespace {

using lpt::control_register;
using lpt::data_register;
using lpt::status_register;

constexpr std::string_view bus_prefix = "/dev/i2c-";
constexpr std::uint8_t high_nibble = 0xF0;

std::string open_failure(int error) {
    return error == ENOENT ? "no such bus (i2cdetect -l lists the buses there are, once the "
                             "module i2c-dev is loaded)"
                           : std::strerror(error);
}

std::string hex_address(unsigned address) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", address);
    return text;
}

std::string address_failure(int error, unsigned address) {
    switch (error) {
    case EBUSY:
        return "address " + hex_address(address) + " is held by a kernel driver";
    case ENOTTY:
        return "not an I2C bus";
    default:
        return std::strerror(error);
    }
}

} // namespace

std::string BackpackPort::no_answer() const {
    std::string reason = "no device answers at address " + hex_address(backpack_.address);
    if (backpack_.bus.starts_with(bus_prefix))
        reason += " (i2cdetect -y " + backpack_.bus.substr(bus_prefix.size()) +
                  " lists the addresses that do)";
    return reason;
}

bool BackpackPort::open(const std::string& device_name, const Backpacks& backpacks) {
    close();
    std::string reason;
    const Backpack* backpack = backpacks.of(device_name, "backpack", reason);
    if (backpack == nullptr)
        return failures_.refuse(device_name, reason);
    backpack_ = *backpack;
    const int bus = device_.open(backpack_.bus);
    if (bus < 0 && (-bus == EACCES || -bus == EPERM))
        return failures_.refuse(backpack_.bus, drv::permission_reason("i2c"));
    if (bus < 0)
        return failures_.refuse(backpack_.bus, open_failure(-bus) + backpacks.source.cure());

    registers_ = lpt::PortRegisters();
    applied_ = registers_.signals();
    sent_ = pins(applied_);
    std::uint8_t ignored = 0;
    if (const int error = device_.set_address(bus, backpack_.address); error != 0)
        reason = address_failure(error, backpack_.address);
    else if (device_.receive_byte(bus, ignored) != 0 || device_.send_byte(bus, sent_) != 0)
        reason = no_answer();
    if (!reason.empty()) {
        device_.close(bus);
        return failures_.refuse(backpack_.bus, reason + backpacks.source.cure());
    }
    bus_ = bus;
    failures_.opened(backpack_.bus);
    base_ = lpt::base_address_of(device_name);
    return true;
}

void BackpackPort::close() {
    if (base_ == 0)
        return;
    device_.close(bus_);
    bus_ = -1;
    base_ = 0;
}

// The expander's pins for the display's levels; released data lines are set high.
std::uint8_t BackpackPort::pins(const lpt::DisplaySignals& signals) const {
    const auto pin = [](bool level, unsigned number) {
        return static_cast<std::uint8_t>(level ? 1u << number : 0u);
    };
    std::uint8_t levels = pin(signals.rs, backpack_.rs) | pin(signals.rw, backpack_.rw) |
                          pin(signals.e, backpack_.e) | pin(backpack_.light, backpack_.backlight);
    for (unsigned bit = 0; bit < backpack_.data.size(); ++bit)
        levels |=
            pin(signals.data_released || (signals.data >> (4 + bit) & 1) != 0, backpack_.data[bit]);
    return levels;
}

void BackpackPort::stop_answering(int error) {
    failures_.stop("the device at " + hex_address(backpack_.address) + " stopped answering (" +
                   std::strerror(error) + "); nothing reaches it until the port is opened again");
}

void BackpackPort::write(int address, int value) {
    const int offset = lpt::register_at(base_, address);
    if (offset < 0)
        return;
    registers_.write(offset, static_cast<std::uint8_t>(value));
    for (const lpt::DisplaySignals& step : drv::signal_steps(applied_, registers_.signals())) {
        applied_ = step;
        const std::uint8_t levels = pins(step);
        if (!failures_.answering() || levels == sent_)
            continue;
        if (const int error = device_.send_byte(bus_, levels); error != 0)
            return stop_answering(error);
        sent_ = levels;
    }
}

// D7..D4 as the pins show them while released, the other bits as DR drives them.
std::optional<std::uint8_t> BackpackPort::sample() {
    const std::uint8_t driven = registers_.data_register();
    if (!applied_.data_released)
        return driven;
    std::uint8_t levels = 0;
    if (const int error = device_.receive_byte(bus_, levels); error != 0) {
        stop_answering(error);
        return std::nullopt;
    }
    std::uint8_t data = driven & ~high_nibble;
    for (unsigned bit = 0; bit < backpack_.data.size(); ++bit)
        data |= static_cast<std::uint8_t>((levels >> backpack_.data[bit] & 1) << (4 + bit));
    return data;
}

int BackpackPort::read(int address) {
    const int offset = lpt::register_at(base_, address);
    if (!failures_.answering() || offset < 0)
        return 0xFF;
    switch (offset) {
    case data_register: {
        const auto levels = sample();
        return levels ? *levels : 0xFF;
    }
    case status_register: {
        const auto levels = sample();
        return levels ? lpt::status_value(*levels) : 0xFF;
    }
    default:
        return registers_.control_register();
    }
}

} // namespace lumivex::i2c
