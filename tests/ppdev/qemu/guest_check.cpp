// Runs inside a QEMU guest: the program's port module, on the ppdev port library, against the
// kernel's parport_pc and ppdev drivers on QEMU's emulated parallel port. It prints what it
// saw (notices go to standard error); the host compares.
#include "port/port_module.h"

#include <cstdio>
#include <fcntl.h>
#include <linux/ppdev.h>
#include <string_view>
#include <sys/ioctl.h>
#include <unistd.h>

int main() {
    using namespace lumivex::port;
    std::printf("open LPT1: %d\n", open_port(0x378));
    // QEMU's port hands DR to its output file when /Strobe's bit rises with Init and /SLCT IN
    // set: a byte a strobe.
    for (const char c : std::string_view("LUMIVEX")) {
        port_out(0x378, c);
        port_out(0x37A, 0x0E);
        port_out(0x37A, 0x0F);
    }
    std::printf("data: %02X\n", port_in(0x378));
    port_out(0x37A, 0x0B); // Init low: the emulated printer resets its status
    std::printf("status: %02X\n", port_in(0x379));
    set_data_direction(0x378, 1);
    std::printf("control with direction in: %02X\n", port_in(0x37A));
    set_data_direction(0x378, 0);
    std::printf("control with direction out: %02X\n", port_in(0x37A));
    std::printf("close: %d\n", close_port(0x378));
    std::printf("open LPT2: %d\n", open_port(0x278));

    // Another program shares LPT1 and holds it: the library's claim sleeps until it gives up.
    const int holder = ::open("/dev/parport0", O_RDWR);
    std::printf("another program claims LPT1: %d\n", ioctl(holder, PPCLAIM));
    std::printf("open LPT1 while held: %d\n", open_port(0x378));
    ioctl(holder, PPRELEASE); // still registered: Open Port shares the port
    std::printf("open LPT1 once released: %d\n", open_port(0x378));
    close_port(0x378);
    ::close(holder);
    return 0;
}
