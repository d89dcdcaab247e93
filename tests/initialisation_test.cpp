#include "display/initialisation.h"
#include "support/core_test.h"

using namespace lumivex;
using display::BusWidth;
using display::initialise_display;

namespace {

using Initialisation = CoreTest;

const std::string wait_1 = delay(1);

// Idle, then three raw 8-bit function-set pulses, then DR cleared.
Trace preamble() {
    Trace lines{cr(0x0B), dr(0x00), wait_1, wait_1};
    for (int i = 0; i < 3; ++i)
        lines.insert(lines.end(), {dr(0x30), wait_1, cr(0x0F), wait_1, cr(0x0B), wait_1});
    lines.insert(lines.end(), {dr(0x00), wait_1});
    return lines;
}

std::vector<BusPulse> instructions(std::initializer_list<int> data) {
    std::vector<BusPulse> pulses;
    for (int value : data)
        pulses.push_back({0, 0, value});
    return pulses;
}

TEST_F(Initialisation, EightBitAsksThenSendsTheWholeSequence) {
    open_lpt1();
    initialise_display(BusWidth::eight_bit);
    EXPECT_EQ(display::bus_width, BusWidth::eight_bit);
    ASSERT_EQ(notices.shown.size(), 1u);
    EXPECT_EQ(notices.shown[0].text, "8-bit-Bus?");
    EXPECT_EQ(notices.shown[0].kind, app::NoticeKind::question);
    EXPECT_EQ(notices.shown[0].caption, "Orvo_LPTio_HD44780-Modul");

    const Trace expected_start = preamble();
    ASSERT_GT(trace.size(), expected_start.size() + 1);
    EXPECT_EQ(Trace(trace.begin() + 1, trace.begin() + 1 + expected_start.size()), expected_start);
    EXPECT_EQ(decode_pulses(trace),
              instructions({0x30, 0x30, 0x30, 0x38, 0x08, 0x01, 0x06, 0x10, 0x80, 0x0F, 0x02}));
    EXPECT_EQ(total_delay_ms(trace), 2 + 3 * 3 + 1 + 8 * 5);
}

TEST_F(Initialisation, FourBitSwitchesWithARawPulseThenSendsNibbles) {
    open_lpt1();
    display::bus_width = BusWidth::eight_bit;
    initialise_display(BusWidth::four_bit);
    EXPECT_EQ(display::bus_width, BusWidth::four_bit);
    EXPECT_TRUE(notices.shown.empty());

    Trace expected_start = preamble();
    expected_start.insert(expected_start.end(),
                          {dr(0x20), wait_1, cr(0x0F), wait_1, cr(0x0B), wait_1});
    ASSERT_GT(trace.size(), expected_start.size());
    EXPECT_EQ(Trace(trace.begin(), trace.begin() + expected_start.size()), expected_start);
    EXPECT_EQ(decode_pulses(trace),
              instructions({0x30, 0x30, 0x30, 0x20,             // raw
                            0x20, 0x80, 0x00, 0x80, 0x00, 0x10, // 0x28 0x08 0x01
                            0x00, 0x60, 0x10, 0x00, 0x80, 0x00, // 0x06 0x10 0x80
                            0x00, 0xF0, 0x00, 0x20}));          // 0x0F 0x02
    EXPECT_EQ(total_delay_ms(trace), 2 + 4 * 3 + 1 + 8 * 8);
}

TEST_F(Initialisation, NoToTheQuestionSendsNothingAndSetsFourBits) {
    open_lpt1();
    display::bus_width = BusWidth::eight_bit; // after an earlier 8-bit initialisation
    notices.answers = {app::Answer::no};
    initialise_display(BusWidth::eight_bit);
    EXPECT_EQ(display::bus_width, BusWidth::four_bit);
    EXPECT_EQ(trace, Trace{notice("8-bit-Bus?")});
}

TEST_F(Initialisation, WithoutPortNothingIsAskedOrSent) {
    display::bus_width = BusWidth::eight_bit;
    initialise_display(BusWidth::eight_bit);
    EXPECT_EQ(trace, Trace{notice("port not available")});
    EXPECT_EQ(display::bus_width, BusWidth::eight_bit);
}

} // namespace
