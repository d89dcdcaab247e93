#include "drv/sim/parallel_port.h"

namespace lumivex::sim {

void ParallelPort::write(int offset, std::uint8_t value, std::uint64_t now_us) {
    if (offset == data_register)
        data_ = value;
    else if (offset == control_register)
        control_ = value & lpt::control_kept_bits;
    else
        return;
    display_.set_pins({(control_ & lpt::control_rs_low) == 0, (control_ & lpt::control_rw_low) == 0,
                       (control_ & lpt::control_e_high) != 0, port_drive()},
                      now_us);
}

std::uint8_t ParallelPort::read(int offset) const {
    switch (offset) {
    case data_register:
        return (control_ & lpt::control_data_input) != 0 ? data_lines() : data_;
    case status_register:
        return status();
    case control_register:
        return control_;
    default:
        return 0xFF;
    }
}

std::uint8_t ParallelPort::status() const {
    return static_cast<std::uint8_t>(lpt::status_idle_bits |
                                     lpt::status_from_data_lines(data_lines()));
}

std::uint8_t ParallelPort::data_lines() const {
    const std::uint8_t driven = display_.driven_lines();
    return static_cast<std::uint8_t>((display_.output() & driven) | (port_drive() & ~driven));
}

BusSignals ParallelPort::bus_signals() const {
    return {(control_ & lpt::control_e_high) != 0, (control_ & lpt::control_rs_low) == 0,
            (control_ & lpt::control_rw_low) == 0, data_lines(),
            static_cast<std::uint8_t>((status() >> 3) & 0x0F)};
}

std::uint8_t ParallelPort::port_drive() const {
    return (control_ & lpt::control_data_input) != 0 ? 0xFF : data_;
}

} // namespace lumivex::sim
