// How closely the simulated port library keeps real time, run through the program's own core:
// DELAY(1) on an idle machine and beside two CPU-bound processes that it starts itself (its
// ratio to the nominal time, overshoot and the CPU time a wait costs), the wall time of the LED
// test and of the demo against the waits they ask for, and what a port access costs, of which
// how much is publishing the state (the model alone, without it, for comparison). Prints its
// figures; it checks nothing. The machine's other load counts too: run it on a quiet machine
// for the idle figures.
#include "app/notice.h"
#include "app/shared_state.h"
#include "benchmarks/timing_support.h"
#include "display/bus_cycles.h"
#include "display/demo.h"
#include "drv/sim/parallel_port.h"
#include "port/lpt_wiring.h"
#include "port/port_library.h"
#include "port/port_module.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <dlfcn.h>
#include <filesystem>
#include <string>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace lumivex;
namespace fs = std::filesystem;
using namespace lumivex::benchmarks;

namespace {

// Mean microseconds per call of access over many calls.
template <typename Access> double microseconds_per_access(Access access) {
    constexpr int accesses = 200'000;
    const auto start = wall_clock::now();
    for (int i = 0; i < accesses; ++i)
        access(static_cast<std::uint8_t>(i));
    return seconds_since(start) * 1e6 / accesses;
}

// OUTPORT as the library does it (model and publishing) against the model alone.
void report_access_cost() {
    void* library = dlopen(port::port_library_path, RTLD_NOW | RTLD_NOLOAD);
    const auto outport = reinterpret_cast<PortOutport>(dlsym(library, "OUTPORT"));
    const double whole = microseconds_per_access(
        [outport](std::uint8_t value) { outport(lpt::lpt1_base_address, value); });
    lumivex::sim::ParallelPort model;
    const double model_only = microseconds_per_access(
        [&model](std::uint8_t value) { model.write(lumivex::sim::data_register, value, 0); });
    std::printf(
        "OUTPORT    %.3f us per access, of which the model %.3f us and publishing %.3f us\n", whole,
        model_only, whole - model_only);
    dlclose(library);
}

double cpu_seconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

void report_delays(const char* conditions) {
    constexpr int calls = 300;
    std::vector<double> overshoot_us;
    const double cpu_start = cpu_seconds();
    const auto start = wall_clock::now();
    for (int i = 0; i < calls; ++i) {
        const auto call = wall_clock::now();
        port::wait_ms(1);
        overshoot_us.push_back(seconds_since(call) * 1e6 - 1000.0);
    }
    const double wall = seconds_since(start);
    const double cpu_ms = (cpu_seconds() - cpu_start) * 1000.0 / calls;
    std::sort(overshoot_us.begin(), overshoot_us.end());
    std::printf("DELAY(1) x%d, %s: ratio %.4f, overshoot median %.1f us, p99 %.1f us, max %.1f "
                "us; CPU %.3f ms per wait\n",
                calls, conditions, wall / (calls / 1000.0), overshoot_us[calls / 2],
                overshoot_us[calls * 99 / 100], overshoot_us.back(), cpu_ms);
}

// Processes that only compute, each ended by an alarm should this program not end them first.
std::vector<pid_t> start_load(int processes) {
    std::vector<pid_t> children;
    for (int i = 0; i < processes; ++i) {
        const pid_t child = fork();
        if (child == 0) {
            alarm(30);
            volatile unsigned spin = 0;
            for (;;)
                spin = spin + 1;
        }
        if (child > 0)
            children.push_back(child);
    }
    return children;
}

void stop_load(const std::vector<pid_t>& children) {
    for (pid_t child : children) {
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
    }
}

} // namespace

int main() {
    char pattern[] = "/tmp/lumivex-bench-XXXXXX";
    const fs::path folder = mkdtemp(pattern);
    fs::create_directory(folder / "drv");
    fs::copy_file(SIM_PORT_LIBRARY, folder / "drv" / "PORT.DLL");
    fs::current_path(folder);
    const std::string state_name = "/lumivex-sim-benchmark-" + std::to_string(getpid());
    setenv("LUMIVEX_SIM_STATE", state_name.c_str(), 1);
    unsetenv("LUMIVEX_SIM_CLOCK");

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
    std::printf("DELAY(1)   overshoot over %d calls: mean %.2f us, max %.2f us\n", calls,
                total_us / calls, worst_us);
    report_delays("idle");
    const std::vector<pid_t> load = start_load(2);
    report_delays("2 CPU-bound processes");
    stop_load(load);

    report_ratio("LED test", [] { port::run_led_test(lpt::lpt1_base_address); });
    display::bus_width = display::BusWidth::four_bit;
    report_ratio("demo", [] { display::run_demo(); });
    report_access_cost();

    port::close_port(lpt::lpt1_base_address);
    shm_unlink(state_name.c_str());
    fs::current_path("/");
    fs::remove_all(folder);
    return 0;
}
