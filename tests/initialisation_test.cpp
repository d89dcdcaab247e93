#include "display/initialisation.h"
#include "support/core_test.h"

using namespace lumivex;
using namespace lumivex::display;

namespace {

using Initialisation = CoreTest;

// Idle, two 1 ms waits, three raw 8-bit function-set pulses, DR cleared; then the bus cycles.
const std::string raw_30 = "D30|w1|C0F|w1|C0B|w1|";
const std::string preamble = "C0B|D00|w1|w1|" + raw_30 + raw_30 + raw_30 + "D00|w1|";

// 8 bits: asked first, then all or nothing. 4 bits: a raw pulse switches, nothing is asked.
TEST_F(Initialisation, EightBitAsksFourBitSwitchesWithARawPulse) {
    bus_width = BusWidth::eight_bit; // after an earlier 8-bit initialisation
    initialise_display(BusWidth::eight_bit);
    EXPECT_EQ(bus_width, BusWidth::eight_bit);
    EXPECT_EQ(trace, Trace{notice("port not available")}); // without port nothing is asked
    open_lpt1();
    notices.answers = {app::Answer::no};
    initialise_display(BusWidth::eight_bit);
    EXPECT_EQ(bus_width, BusWidth::four_bit);
    EXPECT_EQ(trace, Trace{notice("8-bit-Bus?")});
    trace.clear();
    initialise_display(BusWidth::eight_bit);
    EXPECT_EQ(brief(trace).substr(0, 13 + preamble.size()), "N:8-bit-Bus?|" + preamble);
    EXPECT_EQ(decode_pulses(trace),
              instructions({0x30, 0x30, 0x30, 0x38, 0x08, 0x01, 0x06, 0x10, 0x80, 0x0F, 0x02}));
    EXPECT_EQ(total_delay_ms(trace), 2 + 3 * 3 + 1 + 8 * 5);
    trace.clear();
    initialise_display(BusWidth::four_bit);
    EXPECT_EQ(notices.shown.size(), 2u);
    EXPECT_EQ(decode_pulses(trace),
              instructions({0x30, 0x30, 0x30, 0x20,             // raw
                            0x20, 0x80, 0x00, 0x80, 0x00, 0x10, // 0x28 0x08 0x01
                            0x00, 0x60, 0x10, 0x00, 0x80, 0x00, // 0x06 0x10 0x80
                            0x00, 0xF0, 0x00, 0x20}));          // 0x0F 0x02
    EXPECT_EQ(total_delay_ms(trace), 2 + 4 * 3 + 1 + 8 * 8);
}

} // namespace
