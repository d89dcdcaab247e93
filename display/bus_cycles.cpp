#include "display/bus_cycles.h"

#include "display/display_notice.h"
#include "display/register_access.h"

namespace lumivex::display {

using namespace register_access;

BusWidth bus_width = BusWidth::four_bit;

namespace {

bool port_available() {
    if (base() != 0)
        return true;
    display_notice("port not available");
    return false;
}

} // namespace

void write_cycle(int selector, int value) {
    if (!port_available())
        return;
    const int s = selector & 3;
    const int byte = value & 0xFF;
    write_control_register(control_idle);
    write_data_register(0);
    port::wait_ms(1);
    write_control_register(clock_low(s));
    if (bus_width == BusWidth::eight_bit) {
        write_data_register(byte);
        port::wait_ms(1);
        clock_pulse(s);
    } else {
        // Each nibble goes out on DR bits 7..4, the high one first.
        write_data_register(byte & 0xF0);
        port::wait_ms(1);
        clock_pulse(s);
        write_data_register((byte << 4) & 0xF0);
        port::wait_ms(1);
        clock_pulse(s);
    }
    write_control_register(control_idle);
    write_data_register(0);
    port::wait_ms(1);
}

int read_cycle(int selector) {
    if (!port_available())
        return -1;
    const int e_low = clock_low(selector); // E low, RS and R/W set for the read
    const auto step = [](int control) {
        write_control_register(control);
        port::wait_ms(1);
    };
    // E high with RS and R/W set for the read; the display drives the lines until E falls.
    const auto sample = [selector](int (*read_register)()) {
        write_control_register(clock_high(selector));
        port::wait_ms(1);
        const int value = read_register();
        port::wait_ms(1);
        return value;
    };
    // E low, every other control bit (the data direction too) as it was.
    write_control_register(read_control_register() & ~control_e_high);
    write_data_register(0);
    port::wait_ms(1);
    if (bus_width == BusWidth::eight_bit) {
        display_notice("Reading 8-bit-bus via PS2/EPP-compatible port device DR(BA+0). Not "
                       "supported by SR(BA+1)!");
        step(e_low);
        const int value = sample(read_data_register);
        step(e_low | control_idle);
        step(control_idle);
        return value;
    }
    // D7..D4 arrive on SR bits 6..3, the high nibble first.
    step(e_low);
    const int high = sample(read_status_register);
    step(e_low | control_idle);
    const int low = sample(read_status_register);
    step(e_low);
    step(control_idle);
    if (high < 0 || low < 0)
        return -1;
    return data_lines_in_status(high) | (data_lines_in_status(low) >> 4);
}

} // namespace lumivex::display
