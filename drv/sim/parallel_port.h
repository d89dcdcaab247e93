#pragma once

#include "drv/sim/hd44780.h"

#include <cstdint>

namespace lumivex::sim {

// Register offsets from the port's base address.
enum PortRegister : int { data_register = 0, status_register = 1, control_register = 2 };

// Control register bits as the display is wired. R/W sits on /Strobe and RS on /Auto Feed,
// which the port inverts, E on Init; /SLCT IN is not connected to the display.
namespace control {
constexpr std::uint8_t rw_low = 0x01;
constexpr std::uint8_t rs_low = 0x02;
constexpr std::uint8_t e_high = 0x04;
constexpr std::uint8_t select_in = 0x08;
constexpr std::uint8_t data_input = 0x20; // PS/2 direction bit: the port stops driving DR
constexpr std::uint8_t kept_bits = 0x2F;
constexpr std::uint8_t idle = select_in | rs_low | rw_low; // E low, RS and R/W low
} // namespace control

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
    std::uint8_t leds() const { return data_; }
    // The data lines: the display's output where it drives them, else the port's latch, else
    // the display's pull-ups.
    std::uint8_t data_lines() const;
    BusSignals signals() const;
    const Hd44780& display() const { return display_; }

private:
    std::uint8_t port_drive() const;

    std::uint8_t data_ = 0;
    std::uint8_t control_ = control::idle;
    Hd44780 display_;
};

} // namespace lumivex::sim
