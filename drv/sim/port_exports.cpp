// The port library's exports over the simulated port: the model on the chosen clock,
// published in shared memory and, when asked for, recorded as VCD. A setting that cannot be
// followed makes OPENCOM fail rather than be ignored.
#include "drv/common/last_error.h"
#include "drv/sim/clock.h"
#include "drv/sim/parallel_port.h"
#include "drv/sim/settings.h"
#include "drv/sim/state_publisher.h"
#include "drv/sim/vcd_recorder.h"
#include "port/lpt_wiring.h"
#include "port/port_library.h"

#include <cerrno>
#include <cstring>
#include <optional>
#include <string_view>

namespace lumivex::sim {

namespace {

// What hangs on the open port. Opening powers it on.
struct Bench {
    int base = 0;
    ParallelPort port;
    StatePublisher publisher;
    std::optional<VcdRecorder> vcd;
};

Clock port_clock;
std::optional<Bench> bench;

// The register an address selects at the open port, or -1.
int register_at(std::int32_t address) {
    return bench ? lpt::register_at(bench->base, address) : -1;
}

void record(int offset, std::uint8_t value, BusEventKind kind, std::uint64_t now_us) {
    bench->publisher.publish(bench->port,
                             {now_us, static_cast<std::uint8_t>(offset), value, kind, {}});
    if (bench->vcd)
        bench->vcd->record(now_us, bench->port.bus_signals());
}

// Powers the port on at base with the settings; an empty text, or the line saying why not.
std::string power_on(int base) {
    std::string error;
    const std::optional<Settings> settings = read_settings(error);
    if (!settings)
        return error;
    const std::string state_name = published_state_name();
    if (const std::string problem = state_name_problem(state_name); !problem.empty())
        return setting_error(state_name_variable, state_name, problem);
    port_clock = Clock(settings->clock);
    bench.emplace();
    bench->base = base;
    if (!bench->publisher.open(state_name, settings->panel, base))
        return setting_error(state_name_variable, state_name, bench->publisher.error());
    if (!settings->vcd_path.empty()) {
        bench->vcd.emplace(settings->vcd_path.c_str(), bench->port.bus_signals());
        if (!bench->vcd->ok()) // errno still tells why fopen failed
            return setting_error(vcd_variable, settings->vcd_path,
                                 std::string("cannot create the file: ") + std::strerror(errno));
    }
    return {};
}

} // namespace

} // namespace lumivex::sim

using namespace lumivex::sim;
using lumivex::drv::forget_refusal;
using lumivex::drv::refuse_port;

int32_t PORT_LIBRARY_CALL OPENCOM(const char* device_name) {
    forget_refusal();
    const std::string_view name = device_name != nullptr ? device_name : "";
    const int base = lumivex::lpt::base_address_of(name);
    if (base == 0)
        return 0;
    bench.reset();
    // Why a port cannot be had goes to standard error, one line, and stays for LASTERROR.
    if (std::string error = power_on(base); !error.empty()) {
        bench.reset();
        return refuse_port(std::move(error));
    }
    return 1;
}

int32_t PORT_LIBRARY_CALL CLOSECOM(void) {
    bench.reset();
    return 0;
}

int32_t PORT_LIBRARY_CALL DELAY(int32_t ms) {
    port_clock.wait(std::chrono::milliseconds(ms));
    return 0;
}

int32_t PORT_LIBRARY_CALL DELAYUS(int32_t us) {
    port_clock.wait(std::chrono::microseconds(us));
    return 0;
}

int32_t PORT_LIBRARY_CALL INPORT(int32_t address) {
    const int offset = register_at(address);
    if (offset < 0)
        return 0xFF;
    port_clock.count_port_access();
    const std::uint8_t value = bench->port.read(offset);
    record(offset, value, port_read, port_clock.now_us());
    return value;
}

int32_t PORT_LIBRARY_CALL OUTPORT(int32_t address, int32_t value) {
    const int offset = register_at(address);
    if (offset < 0)
        return 0;
    port_clock.count_port_access();
    const std::uint64_t now_us = port_clock.now_us();
    const auto byte = static_cast<std::uint8_t>(value);
    bench->port.write(offset, byte, now_us);
    record(offset, byte, port_write, now_us);
    return 0;
}

int32_t PORT_LIBRARY_CALL LASTERROR(char* buffer, int32_t size) {
    return lumivex::drv::copy_last_refusal(buffer, size);
}
