#include "display/bus_cycles.h"
#include "display/initialisation.h"
#include "drv/mcp2221/bridge_port.h"
#include "support/mcp2221_model.h"
#include "support/port_mapping_test.h"

#include <cerrno>
#include <deque>

using namespace lumivex;

namespace {

// The bridge's hidraw device as the kernel passes it on: each report written reaches the chip
// a USB frame (1 ms) later, its answer queues up to be read, and once unplugged every call
// fails with ENODEV. A read with nothing queued would wait in vain: ETIMEDOUT.
class FakeHidraw final : public mcp2221::HidTransport {
public:
    test::Mcp2221Model chip;
    std::deque<mcp2221::Report> answers;

    int open(const std::string& serial) override {
        return chip.plugged() && serial.empty() ? 0 : ENODEV;
    }
    int send(const mcp2221::Report& report) override {
        chip.advance(1000);
        if (const auto answer = chip.answer(report))
            answers.push_back(*answer);
        return chip.plugged() ? 0 : ENODEV;
    }
    int receive(mcp2221::Report& report) override {
        if (!chip.plugged() || answers.empty())
            return chip.plugged() ? ETIMEDOUT : ENODEV;
        report = answers.front();
        answers.pop_front();
        return 0;
    }
    void close() override {}
};

using BridgeMapping = PortMappingTest<FakeHidraw, mcp2221::BridgePort>;

// LPT1 on the common backpack at 0x27, on the first bridge found.
backpack::Backpacks common() {
    std::string error;
    return *backpack::parse_backpacks("", mcp2221::bridge_bus, error);
}

// A program that died mid-transfer left the bus busy, and an answer: the open passes that over,
// cancels the transfer and sets 100 kHz; the display then takes its initialisation and text as
// on a parallel port. Closing reads the last write's answer.
TEST_F(BridgeMapping, TheDisplayTakesInitialisationAndTextAfterABusLeftBusy) {
    const Trace trace = core_trace([] {
        display::initialise_display(display::BusWidth::four_bit);
        for (const char letter : std::string("Hello"))
            display::write_cycle(2, letter);
        display::read_cycle(1);
    });
    device.chip.leave_bus_busy();
    device.answers.push_back({0x90}); // that program's last answer, never read
    ASSERT_TRUE(mapping.open("LPT1:", common()));
    EXPECT_EQ(device.chip.speed_divider(), 117u);
    const auto& ddram = device.chip.display().state().ddram;
    EXPECT_EQ(replay(trace, mapping), (std::vector{0x0B, 0x07, 0x2F})); // not busy, address 5
    EXPECT_EQ(device.answers.size(), 1u); // the last write's, left for the next transfer
    EXPECT_EQ(std::string_view(reinterpret_cast<const char*>(ddram.data()), 5), "Hello");
    EXPECT_EQ(device.chip.display().state().timing_violations, 0u);
    mapping.close();
    EXPECT_TRUE(device.answers.empty());
}

TEST_F(BridgeMapping, NoBridgeOrNothingAtTheAddressSaysWhatThereIs) {
    const std::pair<std::optional<unsigned>, const char*> cases[] = {
        {0x3F, "(answering: 0x3F)"},
        {std::nullopt, "(nor at any PCF8574 address, 0x20..0x27 or 0x38..0x3F: check SDA, SCL, "
                       "GND and 5 V)"}};
    for (const auto& [expander, found] : cases) {
        device.chip.move_expander(expander);
        EXPECT_FALSE(mapping.open("LPT1:", common()));
        EXPECT_EQ(mapping.error(),
                  std::string("lumivex mcp2221: MCP2221: no device answers at address 0x27 ") +
                      found);
        EXPECT_FALSE(device.chip.bus_busy());
    }
    EXPECT_EQ(refusal(MCP2221_PORT_LIBRARY, {}),
              "lumivex mcp2221: MCP2221: no bridge found (USB ID 04d8:00dd; lsusb lists it when it "
              "is plugged in)\n");
}

// A backpack that no longer acknowledges (its answer comes with the next write) or an unplugged
// bridge is said once; then the port is left alone.
TEST_F(BridgeMapping, ADeviceThatStopsAnsweringIsToldOnceAndLeftAlone) {
    for (const auto& [unplug, reason] :
         {std::pair{false, "No such device or address"}, std::pair{true, "No such device"}}) {
        device.chip.move_expander(0x27);
        ASSERT_TRUE(mapping.open("LPT1:", common()));
        unplug ? device.chip.unplug() : device.chip.move_expander(std::nullopt);
        testing::internal::CaptureStderr();
        for (const int value : {0xF0, 0x00, 0xF0})
            mapping.write(0x378, value);
        EXPECT_EQ(mapping.read(0x379), 0xFF);
        EXPECT_EQ(testing::internal::GetCapturedStderr(),
                  "lumivex mcp2221: MCP2221: the device at 0x27 stopped answering (" +
                      std::string(reason) +
                      "); nothing reaches it until the port is opened again\n");
    }
}

} // namespace
