// The port library's exports over the simulated port on Windows: the model on the chosen
// clock, shown in the window "Lumivex bench" while a port is open.
#include "drv/common/last_error.h"
#include "drv/common/precise_wait.h"
#include "drv/sim/clock.h"
#include "drv/sim/parallel_port.h"
#include "drv/sim/settings.h"
#include "drv/sim/windows/port_window.h"
#include "port/lpt_wiring.h"
#include "port/port_library.h"

#include <optional>
#include <string_view>
#include <windows.h>

namespace lumivex::sim {

namespace {

// What hangs on the open port, and the window that shows it. Opening powers it on; the
// settings are read at that moment.
struct Bench {
    Bench(int base_address, const Panel& panel_used)
        : base(base_address), panel(panel_used), window(view()) {}

    BenchView view() const {
        return {panel,         port.display().state(),      port.read(data_register),
                port.status(), port.read(control_register), port.leds()};
    }

    int base;
    Panel panel;
    drv::FineWaits timer;
    ParallelPort port;
    PortWindow window;
};

Clock port_clock;
std::optional<Bench> bench;

// The register an address selects at the open port, or -1.
int register_at(std::int32_t address) {
    return bench ? lpt::register_at(bench->base, address) : -1;
}

// A setting's line quotes the value as the environment gave it, in the system's code page;
// LASTERROR's reason is UTF-8.
std::string utf8_from_ansi(const std::string& text) {
    std::wstring wide(text.size(), L'\0');
    wide.resize(static_cast<std::size_t>(
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                            static_cast<int>(wide.size()))));
    std::string utf8(3 * wide.size(), '\0');
    utf8.resize(static_cast<std::size_t>(
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(),
                            static_cast<int>(utf8.size()), nullptr, nullptr)));
    return utf8;
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
    std::string error;
    const std::optional<Settings> settings = read_settings(error);
    if (!settings)
        return refuse_port(utf8_from_ansi(error));
    port_clock = Clock(settings->clock);
    bench.emplace(base, settings->panel);
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
    return bench->port.read(offset);
}

int32_t PORT_LIBRARY_CALL OUTPORT(int32_t address, int32_t value) {
    const int offset = register_at(address);
    if (offset < 0)
        return 0;
    port_clock.count_port_access();
    bench->port.write(offset, static_cast<std::uint8_t>(value), port_clock.now_us());
    bench->window.show(bench->view());
    return 0;
}

int32_t PORT_LIBRARY_CALL LASTERROR(char* buffer, int32_t size) {
    return lumivex::drv::copy_last_refusal(buffer, size);
}
