// How long the LED test and the demo take on an Arduino running the sketch, through the serial
// port library as the program uses it, against the waits they ask for (7.3 s and 14.0 s): the
// board is the simulated ATmega328P at 16 MHz of tests/serial, which keeps to real time, behind
// a pseudo-terminal. Also how busy the link is during the demo, how long Open Port and Close
// Port take, and what the display saw.
// Prints its figures; it checks nothing.
#include "app/shared_state.h"
#include "benchmarks/timing_support.h"
#include "display/bus_cycles.h"
#include "display/demo.h"
#include "port/lpt_wiring.h"
#include "port/port_module.h"
#include "protocol.h"
#include "simulated_board.h"
#include "support/run_folder.h"

#include <cstdio>
#include <fstream>

using namespace lumivex;
using namespace lumivex::benchmarks;

int main() {
    SimulatedBoard board(FIRMWARE_HEX, SimulatedBoard::Display::on_pins);
    const RunFolder folder;
    folder.install_port_library(SERIAL_PORT_LIBRARY);
    std::ofstream(folder.path() / "drv/serial.conf") << "device = " << board.device() << "\n";
    setenv("XDG_CONFIG_HOME", (folder.path() / "config").c_str(), 1);

    CountingLoader loader;
    AnsweringNotices notices;
    port::use_library_loader(loader);
    app::set_notice_sink(&notices);
    app::current_base_address = lpt::lpt1_base_address;
    std::printf("link         %ld baud\n", LUMIVEX_BAUD);
    auto start = wall_clock::now();
    if (port::open_port(lpt::lpt1_base_address) != port::opened)
        return 1;
    std::printf("Open Port    %.3f s\n", seconds_since(start));
    report_ratio("LED test", [] { port::run_led_test(lpt::lpt1_base_address); });
    report_ratio("demo", [] { display::run_demo(); });
    start = wall_clock::now();
    port::close_port(lpt::lpt1_base_address);
    std::printf("Close Port   %.3f s\n", seconds_since(start));
    const SimulatedBoard::Report report = board.settle();
    std::printf("display      %llu timing violations, %llu bus conflicts\n",
                static_cast<unsigned long long>(report.display.timing_violations),
                static_cast<unsigned long long>(report.bus_conflicts));

    // The link's load while the program writes the display back to back, at its nominal pace.
    port::open_port(lpt::lpt1_base_address);
    requested_ms = 0;
    for (int i = 0; i < 500; ++i)
        display::write_cycle(display::write_data, 'x');
    const double nominal = static_cast<double>(requested_ms) / 1000.0;
    port::close_port(lpt::lpt1_base_address);
    const double bytes = double(board.settle().bytes_from_host - report.bytes_from_host);
    const double rate = bytes / nominal;
    std::printf("link load    %.0f bytes a 4-bit write cycle, %.0f bytes/s at the program's pace: "
                "%.1f %% of %ld baud, %.1f %% of 115200\n",
                bytes / 500, rate, rate * 10 / LUMIVEX_BAUD * 100, LUMIVEX_BAUD,
                rate * 10 / 115200 * 100);
    return 0;
}
