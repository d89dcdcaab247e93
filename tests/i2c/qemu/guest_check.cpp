// Runs inside a QEMU guest: the program's port module, on the i2c port library, against the
// kernel's i2c-dev and i2c-stub, which plays a device at 0x27 whose register 0xFA holds 0x5A; or,
// with the argument "display", against the kernel's hid-mcp2221 with a backpack on its bus. It
// prints what it saw (notices go to standard error); the host compares.
#include "app/shared_state.h"
#include "display/initialisation.h"
#include "port/port_module.h"

#include <cstdio>
#include <string_view>

int main(int argc, char** argv) {
    using namespace lumivex::port;
    if (argc > 1 && std::string_view(argv[1]) == "display") {
        lumivex::app::current_base_address = 0x378;
        std::printf("open LPT1 on the bridge: %d\n", open_port(0x378));
        lumivex::display::initialise_display(lumivex::display::BusWidth::four_bit);
        for (const char c : std::string_view("Hello"))
            lumivex::display::write_cycle(lumivex::display::write_data, c);
        std::printf("close: %d\n", close_port(0x378));
        return 0;
    }
    std::printf("open LPT1: %d\n", open_port(0x378));
    // R/W high sends 0xFA (D7..D4 high, R/W, the backlight), which i2c-stub takes as its register
    // pointer; the status read then receives that register: D7..D4 = 0101 on SR bits 6..3.
    port_out(0x37A, 0x0A);
    std::printf("status: %02X\n", port_in(0x379));
    std::printf("close: %d\n", close_port(0x378));
    std::printf("open LPT2: %d\n", open_port(0x278));
    return 0;
}
