#pragma once

#include <array>
#include <cstdint>

namespace lumivex::sim {

// The levels on the controller's bus pins.
struct BusPins {
    bool rs = false; // 0 instruction register, 1 data register
    bool rw = false; // 0 write, 1 read
    bool e = false;
    std::uint8_t data = 0; // D7..D0
    bool operator==(const BusPins&) const = default;
};

// Execution times at the nominal 270 kHz oscillator.
inline constexpr std::uint64_t instruction_time_us = 37;
inline constexpr std::uint64_t clear_or_home_time_us = 1520;
inline constexpr std::uint64_t address_update_time_us = 4; // after a data write or read

// The controller's registers, RAM and interface state.
struct Hd44780State {
    std::array<std::uint8_t, 128> ddram{}; // by DDRAM address; the chip maps 80 of them
    std::array<std::uint8_t, 64> cgram{};  // bit 4 the leftmost dot; 8 glyphs of 8 rows, or 4 of 16
                                           // (11 shown) in the 5x10 font
    std::uint8_t instruction_register = 0; // the last instruction executed
    std::uint8_t data_register = 0;        // the last byte written or read as data
    std::uint8_t address_counter = 0;
    bool address_in_cgram = false;
    std::uint8_t display_shift = 0; // characters the display has moved left, within a line
    bool increment = true;          // I/D
    bool shift_on_write = false;    // S
    bool display_on = false;
    bool cursor_on = false;
    bool blink_on = false;
    bool eight_bit_interface = true; // DL
    bool two_lines = false;          // N
    bool font_5x10 = false;          // F, which only one line (N = 0) lets take effect
    bool low_nibble_next = false;    // 4-bit interface: half a byte has been transferred
    std::uint8_t high_nibble = 0;    // of a 4-bit write in progress, in bits 7..4
    std::uint8_t read_latch = 0;     // the byte a read transfers, taken when E rose
    std::uint64_t busy_until_us = 0;
    std::uint64_t e_pulses = 0;
    std::uint64_t timing_violations = 0; // transfers that arrived while busy
};

// An HD44780 driven through its pins. Writes are latched on E's falling edge with the RS and
// R/W levels that held while E was high; a read puts its data on the bus while E is high.
// Time is in microseconds on whatever clock the caller runs.
class Hd44780 {
public:
    Hd44780(); // power-on reset

    void set_pins(const BusPins& pins, std::uint64_t now_us);

    // Data lines the controller drives: all eight, only D7..D4 on a 4-bit interface, or none
    // unless E is high for a read.
    std::uint8_t driven_lines() const;
    // The level it puts on the lines it drives.
    std::uint8_t output() const;

    bool busy(std::uint64_t now_us) const { return now_us < state_.busy_until_us; }
    const Hd44780State& state() const { return state_; }

private:
    void rising_edge(bool rs, std::uint64_t now_us);
    void falling_edge(std::uint64_t now_us);
    void write(bool rs, std::uint8_t byte, std::uint64_t now_us);
    void read(bool rs, std::uint64_t now_us);
    void execute(std::uint8_t instruction);
    void write_data(std::uint8_t byte);
    void step_address(bool up);
    void shift_display(bool left);

    BusPins pins_;
    Hd44780State state_;
};

} // namespace lumivex::sim
