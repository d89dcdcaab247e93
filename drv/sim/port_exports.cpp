// The port library's six exports over the simulated port: the model on the chosen clock,
// published in shared memory and, when asked for, recorded as VCD.
#include "drv/sim/clock.h"
#include "drv/sim/panel.h"
#include "drv/sim/parallel_port.h"
#include "drv/sim/state_publisher.h"
#include "drv/sim/vcd_recorder.h"
#include "port/port_library.h"

#include <cstdlib>
#include <optional>
#include <string_view>

namespace lumivex::sim {

namespace {

constexpr const char* panel_variable = "LUMIVEX_SIM_PANEL"; // "20x4"; 16x2 otherwise
constexpr const char* clock_variable = "LUMIVEX_SIM_CLOCK"; // "instant"; real time otherwise
constexpr const char* vcd_variable = "LUMIVEX_SIM_VCD";     // a file to record the bus in

std::string_view environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

// What hangs on the open port. Opening powers it on; the settings are read at that moment.
struct Bench {
    explicit Bench(int base_address)
        : base(base_address),
          publisher(published_state_name(),
                    panel_named(environment(panel_variable)).value_or(default_panel),
                    base_address) {
        if (const char* path = std::getenv(vcd_variable); path != nullptr && path[0] != '\0')
            vcd.emplace(path, port.signals());
    }

    int base;
    ParallelPort port;
    StatePublisher publisher;
    std::optional<VcdRecorder> vcd;
};

Clock port_clock;
std::optional<Bench> bench;

// The register an address selects at the open port, or nothing.
std::optional<int> register_at(std::int32_t address) {
    if (!bench)
        return std::nullopt;
    const std::int64_t offset = std::int64_t{address} - bench->base;
    if (offset < data_register || offset > control_register)
        return std::nullopt;
    return static_cast<int>(offset);
}

void record(int offset, std::uint8_t value, BusEventKind kind, std::uint64_t now_us) {
    bench->publisher.publish(bench->port,
                             {now_us, static_cast<std::uint8_t>(offset), value, kind, {}});
    if (bench->vcd)
        bench->vcd->record(now_us, bench->port.signals());
}

} // namespace

} // namespace lumivex::sim

using namespace lumivex::sim;

int32_t PORT_LIBRARY_CALL OPENCOM(const char* device_name) {
    const std::string_view name = device_name != nullptr ? device_name : "";
    const int base = name == "LPT1:" ? 0x378 : name == "LPT2:" ? 0x278 : 0;
    if (base == 0)
        return 0;
    bench.reset();
    port_clock =
        Clock(environment(clock_variable) == "instant" ? Clock::Mode::instant : Clock::Mode::real);
    bench.emplace(base);
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
    const std::optional<int> offset = register_at(address);
    if (!offset)
        return 0xFF;
    port_clock.count_port_access();
    const std::uint8_t value = bench->port.read(*offset);
    record(*offset, value, port_read, port_clock.now_us());
    return value;
}

int32_t PORT_LIBRARY_CALL OUTPORT(int32_t address, int32_t value) {
    const std::optional<int> offset = register_at(address);
    if (!offset)
        return 0;
    port_clock.count_port_access();
    const std::uint64_t now_us = port_clock.now_us();
    const auto byte = static_cast<std::uint8_t>(value);
    bench->port.write(*offset, byte, now_us);
    record(*offset, byte, port_write, now_us);
    return 0;
}
