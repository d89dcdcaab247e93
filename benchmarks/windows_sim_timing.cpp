// How closely the simulated port's Windows PORT.DLL keeps real time, through the program's
// own core: the overshoot of DELAY(1) over 1000 calls, and the wall time of the demo against
// the waits it asks for. Run it from the run folder (it loads drv\PORT.DLL from there). Prints
// its figures; it checks nothing.
#include "app/notice.h"
#include "app/shared_state.h"
#include "benchmarks/timing_support.h"
#include "display/bus_cycles.h"
#include "display/demo.h"
#include "port/lpt_wiring.h"
#include "port/port_library.h"
#include "port/port_module.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

using namespace lumivex;
using namespace lumivex::benchmarks;

int main() {
    _putenv("LUMIVEX_SIM_CLOCK=");
    CountingLoader loader;
    AnsweringNotices notices;
    port::use_library_loader(loader);
    app::set_notice_sink(&notices);
    app::current_base_address = lpt::lpt1_base_address;
    if (port::open_port(lpt::lpt1_base_address) != port::opened)
        return 1;

    constexpr int calls = 1000;
    double total_us = 0;
    double worst_us = 0;
    for (int i = 0; i < calls; ++i) {
        const auto start = wall_clock::now();
        port::wait_ms(1);
        const double overshoot = seconds_since(start) * 1e6 - 1000.0;
        total_us += overshoot;
        worst_us = std::max(worst_us, overshoot);
    }
    std::printf("DELAY(1) x %d: overshoot mean %.2f us, max %.2f us\n", calls, total_us / calls,
                worst_us);

    display::bus_width = display::BusWidth::four_bit;
    requested_ms = 0;
    const auto start = wall_clock::now();
    display::run_demo();
    const double wall = seconds_since(start);
    std::printf("demo: wall %.4f s, DELAY %.3f s, ratio %.5f\n", wall, requested_ms / 1000.0,
                wall / (requested_ms / 1000.0));

    port::close_port(lpt::lpt1_base_address);
    return 0;
}
