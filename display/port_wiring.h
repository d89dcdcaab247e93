#pragma once

#include "app/shared_state.h"
#include "port/port_module.h"

// How the display hangs on the parallel port. Every access takes the current base address
// afresh, so a port closed in the middle of a sequence refuses the rest of it.
namespace lumivex::display::wiring {

// Control register bits. R/W sits on /Strobe and RS on /Auto Feed, both inverted by the port,
// so the driver writes their complement; E sits on Init; /SLCT IN is kept at 1.
constexpr int control_rw_low = 0x01;
constexpr int control_rs_low = 0x02;
constexpr int control_e_high = 0x04;
constexpr int control_select_in = 0x08;
constexpr int control_idle = control_select_in | control_rs_low | control_rw_low; // 0x0B

// Control values for a bus selector (bit 1 RS, bit 0 R/W), with E low and high.
constexpr int clock_low(int selector) {
    return (selector ^ 3) | control_select_in;
}
constexpr int clock_high(int selector) {
    return clock_low(selector) | control_e_high;
}

inline int base() {
    return app::current_base_address;
}
inline void write_data_register(int value) {
    port::port_out(base(), value);
}
inline void write_control_register(int value) {
    port::port_out(base() + 2, value);
}
inline int read_data_register() {
    return port::port_in(base());
}
inline int read_status_register() {
    return port::port_in(base() + 1);
}
inline int read_control_register() {
    return port::port_in(base() + 2);
}

// E high, then low, a millisecond each: the display latches what DR shows on the falling edge.
inline void clock_pulse(int selector) {
    write_control_register(clock_high(selector));
    port::wait_ms(1);
    write_control_register(clock_low(selector));
    port::wait_ms(1);
}

} // namespace lumivex::display::wiring
