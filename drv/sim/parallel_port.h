#pragma once

#include "drv/sim/hd44780_model.h"
#include "port/port_registers.h"

#include <cstdint>

namespace lumivex::sim {

// The registers as port/lpt_wiring.h lays them out.
using lpt::control_register;
using lpt::data_register;
using lpt::status_register;

// The levels a logic analyser on the cable sees.
struct BusSignals {
    bool e;
    bool rs;
    bool rw;
    std::uint8_t data;         // D7..D0
    std::uint8_t status_lines; // SR bits 6..3, shifted down to bits 3..0
    bool operator==(const BusSignals&) const = default;
};

// A PC parallel port (SPP with the PS/2 direction bit) with an HD44780 on it: D7..D0 on DR for
// writing, D7..D4 also on SR bits 6..3 for reading on a 4-bit bus; eight LEDs on DR.
class ParallelPort {
public:
    // Opened with DR cleared and the control lines idle, so opening makes no E edge.
    void write(int offset, std::uint8_t value, std::uint64_t now_us);
    std::uint8_t read(int offset) const;

    std::uint8_t status() const;
    std::uint8_t leds() const { return registers_.data_register(); }
    // The data lines: the display's output where it drives them, else the port's latch, else
    // the display's pull-ups.
    std::uint8_t data_lines() const;
    BusSignals bus_signals() const;
    const Hd44780& display() const { return display_; }

private:
    std::uint8_t port_drive() const;

    lpt::PortRegisters registers_;
    Hd44780 display_;
};

} // namespace lumivex::sim
