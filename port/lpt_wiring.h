#pragma once

#include <cstdint>
#include <string_view>

// The PC parallel port as the program, the port libraries and the bench see it, and how the
// display hangs on it, as register bits: the program drives the display through these, and a
// port library for other hardware turns them into the display's signals. Plain constants, so
// a port library can include this without the rest of the core.
namespace lumivex::lpt {

// The two ports, by the device names OPENCOM takes and their base addresses.
constexpr int lpt1_base_address = 0x378;
constexpr int lpt2_base_address = 0x278;
constexpr std::string_view lpt1_device_name = "LPT1:";
constexpr std::string_view lpt2_device_name = "LPT2:";

// The base address of "LPT1:" or "LPT2:", 0 for any other name.
constexpr int base_address_of(std::string_view device_name) {
    return device_name == lpt1_device_name   ? lpt1_base_address
           : device_name == lpt2_device_name ? lpt2_base_address
                                             : 0;
}

// Register offsets from the port's base address.
constexpr int data_register = 0;
constexpr int status_register = 1;
constexpr int control_register = 2;

// The register an I/O address selects at a port open at base: its offset, or -1 for any other
// address, and for every address while the port is closed (base 0).
constexpr int register_at(int base, std::int64_t address) {
    const std::int64_t offset = address - base;
    return base != 0 && offset >= data_register && offset <= control_register
               ? static_cast<int>(offset)
               : -1;
}

// Control register bits. R/W sits on /Strobe and RS on /Auto Feed, both inverted by the port,
// so the driver writes their complement; E sits on Init; /SLCT IN (inverted too) is kept at 1
// and reaches nothing.
constexpr int control_rw_low = 0x01;
constexpr int control_rs_low = 0x02;
constexpr int control_e_high = 0x04;
constexpr int control_select_in = 0x08;
constexpr int control_idle = control_select_in | control_rs_low | control_rw_low; // 0x0B
// C3..C0, the four control outputs.
constexpr int control_lines = 0x0F;
// The PS/2 direction bit: the port stops driving the data lines and DR reads them.
constexpr int control_data_input = 0x20;
// What CR keeps of a write: C3..C0 and the direction bit.
constexpr int control_kept_bits = control_lines | control_data_input; // 0x2F

// Control values for a bus selector (bit 1 RS, bit 0 R/W), with E low and high.
constexpr int clock_low(int selector) {
    return (selector ^ 3) | control_select_in;
}
constexpr int clock_high(int selector) {
    return clock_low(selector) | control_e_high;
}

// With nothing on them the status inputs read 1, except /Busy (bit 7), which the port inverts;
// bits 2..0 are not inputs and read 1 as well. An empty port's SR reads 0x7F.
constexpr int status_idle_bits = 0x07;
// The display's D7..D4 come back on SR bits 6..3, for reading on a 4-bit bus.
constexpr int status_data_bits = 0x78;

} // namespace lumivex::lpt
