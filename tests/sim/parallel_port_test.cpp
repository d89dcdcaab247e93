#include "drv/sim/parallel_port.h"

#include <gtest/gtest.h>

using namespace lumivex::sim;
namespace lpt = lumivex::lpt;

namespace {

// The port driven with the control values the program writes, 1 ms apart.
class ParallelPortTest : public ::testing::Test {
protected:
    void out(int offset, std::uint8_t value) {
        port.write(offset, value, now);
        now += 1000;
    }
    // A write cycle: RS and R/W set up with E low, then one E pulse per byte or nibble.
    void write_cycle(bool rs, std::uint8_t byte, bool four_bit) {
        const std::uint8_t low = rs ? 0x09 : 0x0B;
        const auto pulse = [&](std::uint8_t lines) {
            out(data_register, lines);
            out(control_register, low | lpt::control_e_high);
            out(control_register, low);
        };
        out(control_register, low);
        if (four_bit) {
            pulse(byte & 0xF0);
            pulse(static_cast<std::uint8_t>(byte << 4));
        } else {
            pulse(byte);
        }
        out(control_register, lpt::control_idle);
    }
    void initialise4() {
        for (std::uint8_t function_set : {0x30, 0x30, 0x30, 0x20})
            write_cycle(false, function_set, false);
        write_cycle(false, 0x28, true);
    }
    // The program's 4-bit read: the nibbles come in on SR bits 6..3, and E falls in the same
    // control write that sets R/W back to write between them.
    std::uint8_t read_cycle_4bit(bool rs) {
        const std::uint8_t lines = rs ? 0x00 : 0x02;
        out(control_register, lpt::control_idle);
        out(data_register, 0);
        out(control_register, lines | 0x08);
        out(control_register, lines | 0x0C);
        const std::uint8_t high = port.read(status_register);
        out(control_register, lines | 0x0B);
        out(control_register, lines | 0x0C);
        const std::uint8_t low = port.read(status_register);
        out(control_register, lines | 0x08);
        out(control_register, lpt::control_idle);
        return static_cast<std::uint8_t>(((high << 1) & 0xF0) | ((low >> 3) & 0x0F));
    }

    ParallelPort port;
    std::uint64_t now = 0;
};

TEST_F(ParallelPortTest, RegistersReadBackAsWired) {
    EXPECT_EQ(port.read(data_register), 0x00);
    EXPECT_EQ(port.read(control_register), lpt::control_idle);
    EXPECT_EQ(port.read(status_register), 0x07);
    out(data_register, 0xA5);
    out(control_register, 0xFF);
    EXPECT_EQ(port.read(data_register), 0xFF); // input direction, display pulls up
    EXPECT_EQ(port.read(control_register), 0x2F);
    out(control_register, 0xD3);
    EXPECT_EQ(port.read(data_register), 0xA5);
    EXPECT_EQ(port.leds(), 0xA5);
    EXPECT_EQ(port.read(status_register), 0x07 | 0x50); // D7..D4 = 1010 on SR 6..3
}

TEST_F(ParallelPortTest, SignalsFollowTheInvertedControlLines) {
    out(control_register, 0x0E);
    EXPECT_EQ(port.bus_signals(), (BusSignals{true, false, true, 0x00, 0x0}));
    out(control_register, 0x09);
    EXPECT_EQ(port.bus_signals(), (BusSignals{false, true, false, 0x00, 0x0}));
}

TEST_F(ParallelPortTest, EightBitWriteCycleReachesTheDisplay) {
    write_cycle(true, 'A', false);
    EXPECT_EQ(port.display().state().ddram[0], 'A');
}

TEST_F(ParallelPortTest, FourBitReadCycleReturnsBusyFlagAndAddressAndStaysInSync) {
    initialise4();
    write_cycle(false, 0xC7, true);
    EXPECT_EQ(read_cycle_4bit(false), 0x47);
    EXPECT_FALSE(port.display().state().low_nibble_next);
    write_cycle(true, 'Z', true);
    EXPECT_EQ(port.display().state().ddram[0x47], 'Z');
    EXPECT_EQ(port.display().state().timing_violations, 0u);
}

TEST_F(ParallelPortTest, DataRegisterReadsTheDisplayInInputDirection) {
    write_cycle(true, 0x5C, false);
    write_cycle(false, 0x80, false);
    out(control_register, 0x28 | 0x00); // input, RS and R/W high, E low
    out(control_register, 0x28 | 0x04);
    EXPECT_EQ(port.read(data_register), 0x5C);
    EXPECT_EQ(port.data_lines(), 0x5C);
}

} // namespace
