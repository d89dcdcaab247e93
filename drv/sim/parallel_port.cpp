#include "drv/sim/parallel_port.h"

namespace lumivex::sim {

namespace {

// With nothing on them the status inputs read 1, except /Busy (bit 7), which the port inverts;
// bits 2..0 are not inputs and read 1 as well. An empty port reads 0x7F.
constexpr std::uint8_t status_idle_bits = 0x07;

} // namespace

void ParallelPort::write(int offset, std::uint8_t value, std::uint64_t now_us) {
    if (offset == data_register)
        data_ = value;
    else if (offset == control_register)
        control_ = value & control::kept_bits;
    else
        return;
    display_.set_pins({(control_ & control::rs_low) == 0, (control_ & control::rw_low) == 0,
                       (control_ & control::e_high) != 0, port_drive()},
                      now_us);
}

std::uint8_t ParallelPort::read(int offset) const {
    switch (offset) {
    case data_register:
        return (control_ & control::data_input) != 0 ? data_lines() : data_;
    case status_register:
        return status();
    case control_register:
        return control_;
    default:
        return 0xFF;
    }
}

std::uint8_t ParallelPort::status() const {
    return status_idle_bits | ((data_lines() >> 1) & 0x78);
}

std::uint8_t ParallelPort::data_lines() const {
    const std::uint8_t driven = display_.driven_lines();
    return static_cast<std::uint8_t>((display_.output() & driven) | (port_drive() & ~driven));
}

BusSignals ParallelPort::signals() const {
    return {(control_ & control::e_high) != 0, (control_ & control::rs_low) == 0,
            (control_ & control::rw_low) == 0, data_lines(),
            static_cast<std::uint8_t>((status() >> 3) & 0x0F)};
}

std::uint8_t ParallelPort::port_drive() const {
    return (control_ & control::data_input) != 0 ? 0xFF : data_;
}

} // namespace lumivex::sim
