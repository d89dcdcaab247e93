// Runs inside a QEMU guest: the program's port module, on the gpio port library, against the
// kernel's gpio-sim, whose chip gpiochip0 has the built-in Raspberry Pi wiring's 28 lines. It
// prints what it saw (notices go to standard error); the host compares.
#include "port/port_module.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

// gpio-sim's file of one of the built-in wiring's D0..D7 lines.
std::string data_line(int bit, const char* attribute) {
    constexpr int lines[] = {5, 6, 13, 19, 12, 16, 20, 21};
    return "/sys/devices/platform/gpio-sim.0/gpiochip0/sim_gpio" + std::to_string(lines[bit]) +
           "/" + attribute;
}

// D7..D0 as gpio-sim's lines hold them, printed after every wait of the LED test.
void print_data_lines() {
    int value = 0;
    for (int bit = 0; bit < 8; ++bit) {
        int level = 0;
        std::ifstream(data_line(bit, "value")) >> level;
        value |= level << bit;
    }
    std::printf(" %02X", value);
}

} // namespace

int main() {
    using namespace lumivex::port;
    std::printf("open LPT1: %d\n", open_port(0x378));
    std::printf("LED test:");
    set_wait_runner([](long long, void (*)(void*), void*) {}); // no need to wait for the lines
    set_wait_hook(print_data_lines);
    run_led_test(0x378);
    set_wait_hook(nullptr);
    std::printf("\n");

    // R/W high releases D7..D4; the pulls then play a display driving 1010.
    port_out(0x37A, 0x0A);
    for (int bit = 4; bit < 8; ++bit)
        std::ofstream(data_line(bit, "pull")) << (bit % 2 != 0 ? "pull-up" : "pull-down");
    std::printf("status: %02X\n", port_in(0x379));
    std::printf("close: %d\n", close_port(0x378));

    // gpiochip1 has 8 lines, line 3 held by a hog: LPT1's wiring wants it, LPT2's line 8.
    setenv("LUMIVEX_GPIO_CONF", "/run-folder/gpio.conf", 1);
    std::printf("open LPT1 on a held line: %d\n", open_port(0x378));
    std::printf("open LPT2 past the chip: %d\n", open_port(0x278));
    return 0;
}
