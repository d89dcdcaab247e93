#include "display/initialisation.h"

#include "display/display_notice.h"
#include "display/hd44780_instructions.h"
#include "display/register_access.h"

namespace lumivex::display {

using namespace register_access;

namespace {

// A function-set pulse on the raw bus, taken as 8-bit whatever interface the display is in.
void raw_pulse(int data) {
    write_data_register(data);
    port::wait_ms(1);
    clock_pulse(write_instruction); // ends with CR idle: E low, RS and R/W low
}

} // namespace

void initialise_display(BusWidth width) {
    using namespace hd44780;
    if (base() == 0) {
        display_notice("port not available");
        return;
    }
    if (width == BusWidth::eight_bit &&
        display_notice("8-bit-Bus?", app::NoticeKind::question) == app::Answer::no) {
        bus_width = BusWidth::four_bit;
        return;
    }
    write_control_register(control_idle);
    write_data_register(0);
    // Two waits of 1 ms, not one of 2 ms: the bus trace is kept as it is, wait by wait.
    port::wait_ms(1);
    port::wait_ms(1);
    for (int i = 0; i < 3; ++i)
        raw_pulse(function_set | eight_bit_interface);
    write_data_register(0);
    port::wait_ms(1);
    if (width == BusWidth::eight_bit) {
        bus_width = BusWidth::eight_bit;
        write_cycle(write_instruction, function_set | eight_bit_interface | two_lines);
    } else {
        raw_pulse(function_set); // the display switches to 4 bits here
        bus_width = BusWidth::four_bit;
        write_cycle(write_instruction, function_set | two_lines);
    }
    const int instructions[] = {
        display_control, // display, cursor and blink off
        clear_display,
        entry_mode_set | entry_increment, // no display shift
        cursor_or_display_shift,          // cursor one to the left
        set_ddram_address,                // address 0x00
        display_control | display_on | cursor_on | blink_on,
        return_home,
    };
    for (const int instruction : instructions)
        write_cycle(write_instruction, instruction);
}

} // namespace lumivex::display
