#include "support/core_test.h"

using namespace lumivex;
using namespace lumivex::display;

namespace {

using BusCycles = CoreTest;

TEST_F(BusCycles, WritesPulseESettingRsAndRwLowActiveAndNibblesHighFirst) {
    write_cycle(0, 0x01); // without port nothing is sent and a read fails
    EXPECT_EQ(read_cycle(1), -1);
    EXPECT_EQ(brief(trace), "N:port not available|N:port not available");
    app::current_base_address = lpt::lpt1_base_address; // set, but no library bound
    EXPECT_EQ(read_cycle(1), -1);
    open_lpt1();
    write_cycle(0, 0x01); // between idle states: each nibble's pulse
    EXPECT_EQ(brief(trace), "C0B|D00|w1|C0B|D00|w1|C0F|w1|C0B|w1|D10|w1|C0F|w1|C0B|w1|C0B|D00|w1");
    bus_width = BusWidth::eight_bit;
    trace.clear();
    write_cycle(6, 0x141); // the low bits of selector and value
    EXPECT_EQ(brief(trace), "C0B|D00|w1|C09|D41|w1|C0D|w1|C09|w1|C0B|D00|w1");
}

TEST_F(BusCycles, ReadsTakeFourBitsFromTheStatusRegisterAndEightFromTheDataRegister) {
    open_lpt1();
    port.inport_script = {0x2F, 0x78, 0x08}; // CR with direction bit and E set, then SR twice
    EXPECT_EQ(read_cycle(1), 0xF1);
    EXPECT_EQ(brief(trace), "C?|C2B|D00|w1|C0A|w1|C0E|w1|S?|w1|C0B|w1|C0E|w1|S?|w1|C0A|w1|C0B|w1");
    bus_width = BusWidth::eight_bit; // warns after the preamble and reads DR
    trace.clear();
    port.inport_script = {0x0B, 0x5C};
    EXPECT_EQ(read_cycle(3), 0x5C);
    EXPECT_EQ(brief(trace),
              "C?|C0B|D00|w1|N:Reading 8-bit-bus via PS2/EPP-compatible port device "
              "DR(BA+0). Not supported by SR(BA+1)!|C08|w1|C0C|w1|D?|w1|C0B|w1|C0B|w1");
}

} // namespace
