// How closely the simulated port's Windows PORT.DLL keeps real time, through the program's
// own core: the overshoot of DELAY(1) over 1000 calls, and the wall time of the demo against
// the waits it asks for. Run it from the run folder (it loads drv\PORT.DLL from there). Prints
// its figures; it checks nothing.
#include "app/notice.h"
#include "app/shared_state.h"
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
using wall_clock = std::chrono::steady_clock;

namespace {

PortDelay library_delay = nullptr;
long long requested_ms = 0;

int32_t PORT_LIBRARY_CALL counted_delay(int32_t ms) {
    requested_ms += ms;
    return library_delay(ms);
}

// The system loader, with DELAY counted on its way to the library.
class CountingLoader final : public port::LibraryLoader {
public:
    port::LibraryHandle load(const char* path) override { return system().load(path); }
    port::LibrarySymbol find(port::LibraryHandle library, const char* name) override {
        const port::LibrarySymbol symbol = system().find(library, name);
        if (symbol == nullptr || std::string(name) != "DELAY")
            return symbol;
        library_delay = reinterpret_cast<PortDelay>(symbol);
        return reinterpret_cast<port::LibrarySymbol>(&counted_delay);
    }
    void release(port::LibraryHandle library) override { system().release(library); }

private:
    static port::LibraryLoader& system() { return port::system_library_loader(); }
};

// Nobody at the keyboard: questions are answered Yes.
class AnsweringNotices final : public app::NoticeSink {
public:
    app::Answer show(app::NoticeOwner, std::string_view text, std::string_view,
                     app::NoticeKind kind) override {
        std::printf("notice: %.*s\n", static_cast<int>(text.size()), text.data());
        return kind == app::NoticeKind::question ? app::Answer::yes : app::Answer::ok;
    }
};

double seconds_since(wall_clock::time_point start) {
    return std::chrono::duration<double>(wall_clock::now() - start).count();
}

} // namespace

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
