#pragma once

#include "app/shared_state.h"
#include "port/port_module.h"
#include "port/port_registers.h"

// The registers the display is driven through. Every access takes the current base address
// afresh, so a port closed in the middle of a sequence refuses the rest of it.
namespace lumivex::display::register_access {

using namespace lpt;

inline int base() {
    return app::current_base_address;
}
inline void write_data_register(int value) {
    port::port_out(base() + data_register, value);
}
inline void write_control_register(int value) {
    port::port_out(base() + control_register, value);
}
inline int read_data_register() {
    return port::port_in(base() + data_register);
}
inline int read_status_register() {
    return port::port_in(base() + status_register);
}
inline int read_control_register() {
    return port::port_in(base() + control_register);
}

// E high, then low, a millisecond each: the display latches what DR shows on the falling edge.
inline void clock_pulse(int selector) {
    write_control_register(clock_high(selector));
    port::wait_ms(1);
    write_control_register(clock_low(selector));
    port::wait_ms(1);
}

} // namespace lumivex::display::register_access
