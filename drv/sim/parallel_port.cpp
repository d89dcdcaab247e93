#include "drv/sim/parallel_port.h"

namespace lumivex::sim {

void ParallelPort::write(int offset, std::uint8_t value, std::uint64_t now_us) {
    if (!registers_.write(offset, value))
        return;
    const lpt::DisplaySignals signals = registers_.signals();
    display_.set_pins({signals.rs, signals.rw, signals.e, port_drive()}, now_us);
}

std::uint8_t ParallelPort::read(int offset) const {
    switch (offset) {
    case data_register:
        return registers_.data_input() ? data_lines() : registers_.data_register();
    case status_register:
        return status();
    case control_register:
        return registers_.control_register();
    default:
        return 0xFF;
    }
}

std::uint8_t ParallelPort::status() const {
    return lpt::status_value(data_lines());
}

std::uint8_t ParallelPort::data_lines() const {
    const std::uint8_t driven = display_.driven_lines();
    return static_cast<std::uint8_t>((display_.output() & driven) | (port_drive() & ~driven));
}

BusSignals ParallelPort::bus_signals() const {
    const lpt::DisplaySignals signals = registers_.signals();
    return {signals.e, signals.rs, signals.rw, data_lines(),
            static_cast<std::uint8_t>(lpt::data_lines_in_status(status()) >> 4)};
}

std::uint8_t ParallelPort::port_drive() const {
    return registers_.data_input() ? 0xFF : registers_.data_register();
}

} // namespace lumivex::sim
