#pragma once

// HD44780 instructions (RS = 0, R/W = 0) and their option bits.
namespace lumivex::display::hd44780 {

constexpr int clear_display = 0x01;
constexpr int return_home = 0x02;

constexpr int entry_mode_set = 0x04;
constexpr int entry_increment = 0x02; // I/D: address counter counts up
constexpr int entry_shift = 0x01;     // S: the display shifts with every data write

constexpr int display_control = 0x08;
constexpr int display_on = 0x04;
constexpr int cursor_on = 0x02;
constexpr int blink_on = 0x01;

constexpr int cursor_or_display_shift = 0x10;
constexpr int shift_display = 0x08; // S/C: shift the display, not just the cursor
constexpr int shift_right = 0x04;   // R/L

constexpr int function_set = 0x20;
constexpr int eight_bit_interface = 0x10; // DL
constexpr int two_lines = 0x08;           // N
constexpr int font_5x10 = 0x04;           // F

constexpr int set_cgram_address = 0x40;
constexpr int set_ddram_address = 0x80;

constexpr int second_line_address = 0x40;

} // namespace lumivex::display::hd44780
