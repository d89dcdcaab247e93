#include "display/initialisation.h"
#include "support/core_test.h"

using namespace lumivex;
using display::BusWidth;
using display::initialise_display;

namespace {

using Initialisation = CoreTest;

// Idle, two 1 ms waits, three raw 8-bit function-set pulses, DR cleared; for four bits the
// switch pulse, raw as well.
Trace preamble(bool four_bit) {
    const std::string wait_1 = delay(1);
    Trace lines{cr(0x0B), dr(0x00), wait_1, wait_1};
    const auto raw_pulse = [&](int data) {
        lines.insert(lines.end(), {dr(data), wait_1, cr(0x0F), wait_1, cr(0x0B), wait_1});
    };
    for (int i = 0; i < 3; ++i)
        raw_pulse(0x30);
    lines.insert(lines.end(), {dr(0x00), wait_1});
    if (four_bit)
        raw_pulse(0x20);
    return lines;
}

TEST_F(Initialisation, EightBitAsksThenSendsTheWholeSequence) {
    open_lpt1();
    initialise_display(BusWidth::eight_bit);
    EXPECT_EQ(display::bus_width, BusWidth::eight_bit);
    ASSERT_EQ(notice_texts(), std::vector<std::string>{"8-bit-Bus?"});
    EXPECT_EQ(notices.shown[0].kind, app::NoticeKind::question);
    EXPECT_EQ(notices.shown[0].caption, "Orvo_LPTio_HD44780-Modul");

    const Trace start = preamble(false);
    ASSERT_GT(trace.size(), start.size() + 1);
    EXPECT_EQ(Trace(trace.begin() + 1, trace.begin() + 1 + start.size()), start);
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

    const Trace start = preamble(true);
    ASSERT_GT(trace.size(), start.size());
    EXPECT_EQ(Trace(trace.begin(), trace.begin() + start.size()), start);
    EXPECT_EQ(decode_pulses(trace),
              instructions({0x30, 0x30, 0x30, 0x20,             // raw
                            0x20, 0x80, 0x00, 0x80, 0x00, 0x10, // 0x28 0x08 0x01
                            0x00, 0x60, 0x10, 0x00, 0x80, 0x00, // 0x06 0x10 0x80
                            0x00, 0xF0, 0x00, 0x20}));          // 0x0F 0x02
    EXPECT_EQ(total_delay_ms(trace), 2 + 4 * 3 + 1 + 8 * 8);
}

TEST_F(Initialisation, WithoutPortNothingIsAskedAndNoToTheQuestionSendsNothing) {
    display::bus_width = BusWidth::eight_bit; // after an earlier 8-bit initialisation
    initialise_display(BusWidth::eight_bit);
    EXPECT_EQ(trace, Trace{notice("port not available")});
    EXPECT_EQ(display::bus_width, BusWidth::eight_bit);

    open_lpt1();
    notices.answers = {app::Answer::no};
    initialise_display(BusWidth::eight_bit);
    EXPECT_EQ(display::bus_width, BusWidth::four_bit);
    EXPECT_EQ(trace, Trace{notice("8-bit-Bus?")});
}

} // namespace
