#pragma once

// How the display hangs on the parallel port, as register bits: the program drives it through
// these, and a port library for other hardware turns them into the display's signals. Plain
// constants, so a port library can include this without the rest of the core.
namespace lumivex::display::wiring {

// Register offsets from the port's base address.
constexpr int data_register = 0;
constexpr int status_register = 1;
constexpr int control_register = 2;

// Control register bits. R/W sits on /Strobe and RS on /Auto Feed, both inverted by the port,
// so the driver writes their complement; E sits on Init; /SLCT IN is kept at 1.
constexpr int control_rw_low = 0x01;
constexpr int control_rs_low = 0x02;
constexpr int control_e_high = 0x04;
constexpr int control_select_in = 0x08;
constexpr int control_idle = control_select_in | control_rs_low | control_rw_low; // 0x0B
// The PS/2 direction bit: the port stops driving the data lines and DR reads them.
constexpr int control_data_input = 0x20;

// Control values for a bus selector (bit 1 RS, bit 0 R/W), with E low and high.
constexpr int clock_low(int selector) {
    return (selector ^ 3) | control_select_in;
}
constexpr int clock_high(int selector) {
    return clock_low(selector) | control_e_high;
}

// The display's D7..D4 come back on SR bits 6..3, for reading on a 4-bit bus.
constexpr int status_data_bits = 0x78;
constexpr int status_from_data_lines(int data_lines) {
    return (data_lines >> 1) & status_data_bits;
}

} // namespace lumivex::display::wiring
