#include "drv/backpack/backpack_port.h"

#include "port/lpt_wiring.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace lumivex::backpack {

namespace {

using lpt::control_register;
using lpt::data_register;
using lpt::status_register;

constexpr std::uint8_t high_nibble = 0xF0;

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

bool BackpackPort::open(const std::string& device_name, const Backpacks& backpacks) {
    close();
    std::string reason;
    const Backpack* backpack = backpacks.of(device_name, "backpack", reason);
    if (backpack == nullptr)
        return failures_.refuse(device_name, reason);
    backpack_ = *backpack;
    const std::string subject = bus_.subject(backpack_.bus);
    const int bus = device_.open(backpack_.bus);
    if (bus < 0)
        return failures_.refuse(subject, bus_.open_failure(-bus, backpacks.source));

    registers_ = lpt::PortRegisters();
    applied_ = registers_.signals();
    sent_ = pins(applied_);
    std::uint8_t ignored = 0;
    if (const int error = device_.set_address(bus, backpack_.address); error != 0)
        reason = address_failure(error, backpack_.address);
    else if (device_.receive_byte(bus, ignored) != 0 || device_.send_byte(bus, sent_) != 0)
        reason = "no device answers at address " + hex_address(backpack_.address) +
                 bus_.no_answer_hint(device_, bus, backpack_);
    if (!reason.empty()) {
        device_.close(bus);
        return failures_.refuse(subject, reason + backpacks.source.cure());
    }
    descriptor_ = bus;
    failures_.opened(subject);
    base_ = lpt::base_address_of(device_name);
    return true;
}

bool BackpackPort::open_port(const std::string& device_name) {
    const auto load = [this](std::string& error) { return load_backpacks(bus_, error); };
    return drv::open_configured(*this, device_name, load, failures_);
}

void BackpackPort::close() {
    if (base_ == 0)
        return;
    device_.close(descriptor_);
    descriptor_ = -1;
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
        if (const int error = device_.send_byte(descriptor_, levels); error != 0)
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
    if (const int error = device_.receive_byte(descriptor_, levels); error != 0) {
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

} // namespace lumivex::backpack
