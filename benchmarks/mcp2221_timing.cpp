// How much longer the LED test and the demo take on an MCP2221 than the waits they ask for,
// through the program's own core and the mcp2221 library's protocol, on a virtual clock: a
// report written to the bridge is on its way until the next 1 ms USB frame (hidraw's write
// returns then), and its answer can be read one frame after that. The bridge is the test
// model, with the backpack and the display behind it; the display's timing violations show
// whether it still sees every transfer. Prints its figures; it checks nothing.
#include "app/notice.h"
#include "app/shared_state.h"
#include "benchmarks/timing_support.h"
#include "display/bus_cycles.h"
#include "display/demo.h"
#include "drv/mcp2221/bridge_port.h"
#include "port/lpt_wiring.h"
#include "port/port_module.h"
#include "support/mcp2221_model.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <deque>
#include <map>
#include <utility>

using namespace lumivex;

namespace {

constexpr std::uint64_t frame_us = 1000;

class TimedHidraw final : public mcp2221::HidTransport {
public:
    test::Mcp2221Model chip;
    std::uint64_t now_us = 0;
    long long reports = 0;

    int open(const std::string&) override { return 0; }
    int send(const mcp2221::Report& report) override {
        now_us = (now_us / frame_us + 1) * frame_us;
        chip.advance(now_us > chip.now_us() ? now_us - chip.now_us() : 0);
        if (const auto answer = chip.answer(report))
            answers_.emplace_back(now_us + frame_us, *answer);
        ++reports;
        return 0;
    }
    int receive(mcp2221::Report& report) override {
        if (answers_.empty())
            return ETIMEDOUT;
        now_us = std::max(now_us, answers_.front().first);
        report = answers_.front().second;
        answers_.pop_front();
        return 0;
    }
    void close() override {}

private:
    std::deque<std::pair<std::uint64_t, mcp2221::Report>> answers_; // when each can be read
};

TimedHidraw hidraw;
mcp2221::BridgePort bridge(hidraw);
std::uint64_t asked_us = 0;

int32_t PORT_LIBRARY_CALL opencom(const char* name) {
    std::string error;
    return bridge.open(name, *backpack::parse_backpacks("", mcp2221::bridge_bus, error));
}
int32_t PORT_LIBRARY_CALL closecom() {
    bridge.close();
    return 1;
}
int32_t PORT_LIBRARY_CALL delay_us(int32_t us) {
    hidraw.now_us += static_cast<std::uint64_t>(us);
    asked_us += static_cast<std::uint64_t>(us);
    return 0;
}
int32_t PORT_LIBRARY_CALL delay(int32_t ms) {
    return delay_us(ms * 1000);
}
int32_t PORT_LIBRARY_CALL inport(int32_t address) {
    return bridge.read(address);
}
int32_t PORT_LIBRARY_CALL outport(int32_t address, int32_t value) {
    bridge.write(address, value);
    return 0;
}

// The exports above as the library the core loads.
class BridgeLoader final : public port::LibraryLoader {
public:
    port::LibraryHandle load(const char*) override { return &hidraw; }
    std::string last_error() override { return {}; }
    port::LibrarySymbol find(port::LibraryHandle, const char* name) override {
        const auto symbol = [](auto function) {
            return reinterpret_cast<port::LibrarySymbol>(function);
        };
        const std::map<std::string, port::LibrarySymbol> exports = {
            {"OPENCOM", symbol(&opencom)}, {"CLOSECOM", symbol(&closecom)},
            {"DELAY", symbol(&delay)},     {"DELAYUS", symbol(&delay_us)},
            {"INPORT", symbol(&inport)},   {"OUTPORT", symbol(&outport)}};
        const auto found = exports.find(name);
        return found == exports.end() ? nullptr : found->second;
    }
    void release(port::LibraryHandle) override {}
};

template <typename Action> void report(const char* name, Action action) {
    const std::uint64_t start_us = hidraw.now_us;
    const std::uint64_t asked_before = asked_us;
    const long long reports_before = hidraw.reports;
    action();
    const double took = static_cast<double>(hidraw.now_us - start_us) / 1e6;
    const double waits = static_cast<double>(asked_us - asked_before) / 1e6;
    std::printf("%-8s waits %.3f s, on the bridge %.3f s, ratio %.3f, %lld reports\n", name, waits,
                took, took / waits, hidraw.reports - reports_before);
}

} // namespace

int main() {
    BridgeLoader loader;
    benchmarks::AnsweringNotices notices;
    port::use_library_loader(loader);
    app::set_notice_sink(&notices);
    app::current_base_address = lpt::lpt1_base_address;
    if (port::open_port(lpt::lpt1_base_address) != port::opened)
        return 1;
    report("LED test", [] { port::run_led_test(lpt::lpt1_base_address); });
    display::bus_width = display::BusWidth::four_bit;
    report("demo", [] { display::run_demo(); });
    std::printf("display: %llu timing violations, %llu E pulses\n",
                static_cast<unsigned long long>(hidraw.chip.display().state().timing_violations),
                static_cast<unsigned long long>(hidraw.chip.display().state().e_pulses));
    port::close_port(lpt::lpt1_base_address);
    return 0;
}
