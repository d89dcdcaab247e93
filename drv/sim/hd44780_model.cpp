#include "drv/sim/hd44780_model.h"

#include <bit>

namespace lumivex::sim {

namespace {

constexpr std::uint8_t blank = 0x20;
constexpr std::uint8_t busy_flag = 0x80;

// Instruction bits; an instruction is decoded by its highest set bit.
constexpr std::uint8_t increment_bit = 0x02;      // entry mode I/D
constexpr std::uint8_t shift_on_write_bit = 0x01; // entry mode S
constexpr std::uint8_t display_on_bit = 0x04;     // display control D
constexpr std::uint8_t cursor_on_bit = 0x02;      // display control C
constexpr std::uint8_t blink_on_bit = 0x01;       // display control B
constexpr std::uint8_t shift_display_bit = 0x08;  // cursor or display shift S/C
constexpr std::uint8_t shift_right_bit = 0x04;    // cursor or display shift R/L
constexpr std::uint8_t eight_bit_bit = 0x10;      // function set DL
constexpr std::uint8_t two_lines_bit = 0x08;      // function set N
constexpr std::uint8_t font_5x10_bit = 0x04;      // function set F
constexpr std::uint8_t cgram_address_mask = 0x3F; // set CGRAM address
constexpr std::uint8_t ddram_address_mask = 0x7F; // set DDRAM address

// DDRAM addresses: one line of 80 characters from 0x00, or two of 40 from 0x00 and 0x40.
constexpr std::uint8_t one_line_last = 0x4F;
constexpr std::uint8_t first_line_last = 0x27;
constexpr std::uint8_t second_line_first = 0x40;
constexpr std::uint8_t second_line_last = 0x67;

} // namespace

Hd44780::Hd44780() {
    state_.ddram.fill(blank);
}

void Hd44780::set_pins(const BusPins& pins, std::uint64_t now_us) {
    if (pins.e && !pins_.e)
        rising_edge(pins.rs, now_us);
    else if (!pins.e && pins_.e)
        falling_edge(now_us);
    pins_ = pins;
}

std::uint8_t Hd44780::driven_lines() const {
    if (!pins_.e || !pins_.rw)
        return 0x00;
    return state_.eight_bit_interface ? 0xFF : 0xF0;
}

std::uint8_t Hd44780::output() const {
    if (state_.eight_bit_interface)
        return state_.read_latch;
    // The high nibble first, each on D7..D4.
    return state_.low_nibble_next ? static_cast<std::uint8_t>(state_.read_latch << 4)
                                  : state_.read_latch & 0xF0;
}

// The byte a read will transfer is taken at the start of its first E pulse, so both nibbles
// of a 4-bit read belong to the same byte.
void Hd44780::rising_edge(bool rs, std::uint64_t now_us) {
    if (!state_.eight_bit_interface && state_.low_nibble_next)
        return;
    if (rs)
        state_.read_latch = state_.address_in_cgram
                                ? state_.cgram[state_.address_counter & cgram_address_mask]
                                : state_.ddram[state_.address_counter & ddram_address_mask];
    else
        state_.read_latch = (busy(now_us) ? busy_flag : 0) | state_.address_counter;
}

// The transfer that E ends is the one set up while E was high: pins_ still holds those levels,
// also when this same change moves RS or R/W.
void Hd44780::falling_edge(std::uint64_t now_us) {
    ++state_.e_pulses;
    std::uint8_t byte = pins_.data;
    if (!state_.eight_bit_interface) {
        state_.low_nibble_next = !state_.low_nibble_next;
        if (state_.low_nibble_next) {
            if (!pins_.rw)
                state_.high_nibble = pins_.data & 0xF0;
            return;
        }
        byte = state_.high_nibble | pins_.data >> 4;
    }
    if (pins_.rw)
        read(pins_.rs, now_us);
    else
        write(pins_.rs, byte, now_us);
}

void Hd44780::write(bool rs, std::uint8_t byte, std::uint64_t now_us) {
    if (busy(now_us)) {
        ++state_.timing_violations;
        return;
    }
    if (rs) {
        write_data(byte);
        state_.busy_until_us = now_us + instruction_time_us + address_update_time_us;
        return;
    }
    execute(byte);
    const bool slow = byte == 0x01 || (byte & 0xFE) == 0x02; // clear display, return home
    state_.busy_until_us = now_us + (slow ? clear_or_home_time_us : instruction_time_us);
}

// Reading the busy flag is allowed at any time; a data read moves the address counter on.
void Hd44780::read(bool rs, std::uint64_t now_us) {
    if (!rs)
        return;
    if (busy(now_us)) {
        ++state_.timing_violations;
        return;
    }
    state_.data_register = state_.read_latch;
    step_address(state_.increment);
    state_.busy_until_us = now_us + instruction_time_us + address_update_time_us;
}

void Hd44780::execute(std::uint8_t instruction) {
    state_.instruction_register = instruction;
    switch (std::bit_width(instruction)) {
    case 8: // set DDRAM address
        state_.address_counter = instruction & ddram_address_mask;
        state_.address_in_cgram = false;
        break;
    case 7: // set CGRAM address
        state_.address_counter = instruction & cgram_address_mask;
        state_.address_in_cgram = true;
        break;
    case 6: { // function set; a change of width starts the next transfer afresh, and two lines
              // leave no room for the 5x10 font
        const bool eight_bit = (instruction & eight_bit_bit) != 0;
        if (eight_bit != state_.eight_bit_interface)
            state_.low_nibble_next = false;
        state_.eight_bit_interface = eight_bit;
        state_.two_lines = (instruction & two_lines_bit) != 0;
        state_.font_5x10 = !state_.two_lines && (instruction & font_5x10_bit) != 0;
        break;
    }
    case 5: // cursor or display shift
        if ((instruction & shift_display_bit) != 0)
            shift_display((instruction & shift_right_bit) == 0);
        else
            step_address((instruction & shift_right_bit) != 0);
        break;
    case 4: // display on/off control
        state_.display_on = (instruction & display_on_bit) != 0;
        state_.cursor_on = (instruction & cursor_on_bit) != 0;
        state_.blink_on = (instruction & blink_on_bit) != 0;
        break;
    case 3: // entry mode set
        state_.increment = (instruction & increment_bit) != 0;
        state_.shift_on_write = (instruction & shift_on_write_bit) != 0;
        break;
    case 2: // return home
        state_.address_counter = 0;
        state_.address_in_cgram = false;
        state_.display_shift = 0;
        break;
    case 1: // clear display, which also sets the entry mode to increment
        state_.ddram.fill(blank);
        state_.address_counter = 0;
        state_.address_in_cgram = false;
        state_.display_shift = 0;
        state_.increment = true;
        break;
    default: // 0x00 is no instruction
        break;
    }
}

// CGRAM rows keep their five dots. Only DDRAM writes shift the display.
void Hd44780::write_data(std::uint8_t byte) {
    state_.data_register = byte;
    if (state_.address_in_cgram) {
        state_.cgram[state_.address_counter & cgram_address_mask] = byte & 0x1F;
    } else {
        state_.ddram[state_.address_counter & ddram_address_mask] = byte;
        if (state_.shift_on_write)
            shift_display(state_.increment);
    }
    step_address(state_.increment);
}

// The address counter runs through CGRAM in 64 rows and through DDRAM along the lines, from
// the end of the last line back to the start of the first.
void Hd44780::step_address(bool up) {
    std::uint8_t& ac = state_.address_counter;
    if (state_.address_in_cgram) {
        ac = (up ? ac + 1 : ac - 1) & cgram_address_mask;
    } else if (state_.two_lines) {
        if (up)
            ac = ac == first_line_last    ? second_line_first
                 : ac == second_line_last ? 0
                                          : (ac + 1) & ddram_address_mask;
        else
            ac = ac == second_line_first ? first_line_last
                 : ac == 0               ? second_line_last
                                         : (ac - 1) & ddram_address_mask;
    } else {
        if (up)
            ac = ac == one_line_last ? 0 : (ac + 1) & ddram_address_mask;
        else
            ac = ac == 0 ? one_line_last : (ac - 1) & ddram_address_mask;
    }
}

// All lines move together; the shift counts within one line's length.
void Hd44780::shift_display(bool left) {
    const int length = state_.two_lines ? 40 : 80;
    state_.display_shift =
        static_cast<std::uint8_t>((state_.display_shift + (left ? 1 : length - 1)) % length);
}

} // namespace lumivex::sim
