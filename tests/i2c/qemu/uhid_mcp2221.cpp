// Runs inside a QEMU guest: an MCP2221 made through /dev/uhid for the kernel's hid-mcp2221, its
// reports answered by the bridge model with a backpack and a display behind it. It answers until
// SIGTERM, then prints what the display's first line holds.
#include "support/mcp2221_model.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <linux/uhid.h>
#include <unistd.h>

namespace {

// One vendor-defined 64-byte input report and one output report, without report ids.
constexpr std::uint8_t report_descriptor[] = {
    0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01,       // vendor page, usage 1, application
    0x15, 0x00, 0x26, 0xFF, 0x00, 0x75, 0x08, 0x95, // 64 fields of 8 bits, 0..255
    0x40, 0x09, 0x01, 0x81, 0x02, 0x09, 0x01, 0x91, // usage 1 input, usage 1 output
    0x02, 0xC0};

volatile std::sig_atomic_t stopping = 0;

} // namespace

int main() {
    const int uhid = open("/dev/uhid", O_RDWR | O_CLOEXEC);
    uhid_event event{};
    event.type = UHID_CREATE2;
    std::strcpy(reinterpret_cast<char*>(event.u.create2.name), "MCP2221 model");
    event.u.create2.rd_size = sizeof report_descriptor;
    std::memcpy(event.u.create2.rd_data, report_descriptor, sizeof report_descriptor);
    event.u.create2.bus = BUS_USB;
    event.u.create2.vendor = 0x04D8;
    event.u.create2.product = 0x00DD;
    event.u.create2.version = 0x0111; // HID 1.11, as the chip's USB descriptor says
    if (uhid < 0 || write(uhid, &event, sizeof event) != sizeof event) {
        std::perror("uhid");
        return 1;
    }
    struct sigaction stop {};
    stop.sa_handler = [](int) { stopping = 1; }; // without SA_RESTART: read returns EINTR
    sigaction(SIGTERM, &stop, nullptr);

    using namespace std::chrono;
    lumivex::test::Mcp2221Model bridge;
    const auto start = steady_clock::now();
    while (!stopping && read(uhid, &event, sizeof event) > 0) {
        if (event.type != UHID_OUTPUT)
            continue;
        lumivex::test::Mcp2221Model::Report command{};
        std::copy_n(event.u.output.data, std::min<std::size_t>(event.u.output.size, 64),
                    command.begin());
        // The display's busy times pass in the guest's time.
        const std::uint64_t now = duration_cast<microseconds>(steady_clock::now() - start).count();
        bridge.advance(now > bridge.now_us() ? now - bridge.now_us() : 0);
        if (const auto answer = bridge.answer(command)) {
            event = {};
            event.type = UHID_INPUT2;
            event.u.input2.size = answer->size();
            std::copy(answer->begin(), answer->end(), event.u.input2.data);
            write(uhid, &event, sizeof event);
        }
    }
    const auto& ddram = bridge.display().state().ddram;
    std::printf("display's first line: \"%.16s\"\n", reinterpret_cast<const char*>(ddram.data()));
    return 0;
}
