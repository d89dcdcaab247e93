#pragma once

// A model of the Hitachi HD44780U dot-matrix LCD controller, as seen on its bus pins.
//
// Bus: RS selects the instruction (0) or data (1) register, R/W writes (0) or reads (1), and E
// clocks a transfer. A write is latched on E's falling edge with the RS and R/W levels held
// while E was high; a read drives D7..D0 while E is high. With the 4-bit interface (DL = 0)
// every transfer is two pulses on D7..D4, the high nibble first; a read takes its byte at the
// first pulse. Reading the instruction register gives the busy flag (bit 7) and the address
// counter, and is allowed while busy; any other transfer while busy is ignored (counted here
// as a timing violation).
//
// Timing at the nominal 270 kHz oscillator (fosc): clear display and return home 1.52 ms,
// every other instruction and each data transfer 37 us, and the address counter moves 4 us
// (tADD) after the busy flag clears. Busy is kept as a deadline on the port's clock.
//
// Instructions, decoded by their highest set bit: 01 clear display, 02 return home, 04 entry
// mode (I/D, S), 08 display control (D, C, B), 10 cursor or display shift (S/C, R/L), 20 function
// set (DL, N, F), 40 set CGRAM address (6 bits), 80 set DDRAM address (7 bits).
//
// Memory: DDRAM holds 80 characters, as one line at 00..4F (N = 0) or two lines of 40 at 00..27
// and 40..67 (N = 1); the address counter wraps within those ranges. The display shift moves
// both lines together, within their 40 (or 80) characters. CGRAM holds 64 bytes: eight 5x8
// glyphs (codes 0..7, and 8..F again), or in the 5x10 font (N = 0, F = 1) four glyphs of 16
// bytes of which 11 rows show (codes 0..7 in pairs). Codes 10..FF come from the A00 (Japanese)
// character ROM; E0..FF are 10 dots high, and the 5x8 font shows their top 8 rows.
//
// Power-on reset: 8-bit interface, one line, 5x8 font, display, cursor and blink off, entry
// increment without shift, DDRAM blank (20), address 0.
//
// Not modelled: the 10 ms power-on busy time and reset by voltage, the oscillator's spread
// (times are nominal), the A02 ROM, the contrast and the LCD drivers' waveforms, and the
// extended instruction sets of compatible controllers.

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
