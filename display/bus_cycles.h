#pragma once

namespace lumivex::display {

// The number of data lines the driver uses; set by the last initialisation.
enum class BusWidth { four_bit = 4, eight_bit = 8 };
extern BusWidth bus_width;

// Bus selector: bit 1 is RS (0 instruction, 1 data), bit 0 is R/W (0 write, 1 read).
enum BusSelector : int {
    write_instruction = 0,
    read_busy_flag_and_address = 1,
    write_data = 2,
    read_data = 3,
};

// One byte to the display: one E pulse on an 8-bit bus, two (high nibble first) on a 4-bit
// bus, each step followed by a 1 ms wait. Only the selector's low two bits and the value's low
// eight bits are used; a selector with R/W set still performs this write sequence.
void write_cycle(int selector, int value);

// One byte from the display: busy flag and address counter (selector 1) or data (3). On a
// 4-bit bus the two nibbles come in on SR bits 6..3. -1 when no port is open.
int read_cycle(int selector);

} // namespace lumivex::display
