#include "display/bus_cycles.h"
#include "display/demo.h"
#include "support/core_test.h"

#include <cstdio>

using namespace lumivex;
using display::BusWidth;

namespace {

using Demo = CoreTest;

// The demonstration as the display sees it: "I xx" for an instruction, "D xx" for data, and
// "wait n" for every wait longer than the bus cycles' 1 ms steps.
Trace script(const Trace& trace, BusWidth width, int raw_pulses) {
    Trace lines;
    int data = 0;
    int control = 0x0B;
    int nibbles = 0;
    int pending = 0;
    for (const std::string& line : trace) {
        int ms = 0;
        if (std::sscanf(line.c_str(), "DELAY %d", &ms) == 1 && ms > 1)
            lines.push_back("wait " + std::to_string(ms));
        unsigned address = 0;
        unsigned value = 0;
        if (std::sscanf(line.c_str(), "OUTPORT %X %X", &address, &value) != 2)
            continue;
        if (address == 0x378)
            data = value;
        if (address != 0x37A)
            continue;
        const bool e_falls = (control & 0x04) != 0 && (value & 0x04) == 0;
        const bool rs = (control & 0x02) == 0;
        control = value;
        if (!e_falls || raw_pulses-- > 0)
            continue;
        if (width == BusWidth::four_bit && nibbles++ % 2 == 0) {
            pending = data;
            continue;
        }
        const int byte = width == BusWidth::four_bit ? pending | data >> 4 : data;
        char text[8];
        std::snprintf(text, sizeof text, "%c %02X", rs ? 'D' : 'I', byte);
        lines.push_back(text);
    }
    return lines;
}

Trace expected_script() {
    const auto instr = [](int value) {
        char text[8];
        std::snprintf(text, sizeof text, "I %02X", value);
        return std::string(text);
    };
    const auto data = [](int value) {
        char text[8];
        std::snprintf(text, sizeof text, "D %02X", value);
        return std::string(text);
    };
    Trace lines;
    for (int value : {0x08, 0x01, 0x06, 0x10, 0x80, 0x0F, 0x02}) // initialisation
        lines.push_back(instr(value));
    const int glyphs[24] = {0x0E, 0x1F, 0x1B, 0x1F, 0x10, 0x1F, 0x0E, 0x00, 0x0E, 0x1B, 0x1F, 0x1C,
                            0x10, 0x10, 0x18, 0x0F, 0x0E, 0x1F, 0x15, 0x1F, 0x11, 0x1F, 0x0E, 0x00};
    for (int i = 0; i < 24; ++i)
        lines.insert(lines.end(), {instr(0x40 + i), data(glyphs[i])});
    for (int value : {0x01, 0x02, 0x18, 0x18, 0x14, 0x14})
        lines.push_back(instr(value));
    for (char c : display::demo_banner)
        lines.push_back(data(c));
    lines.insert(lines.end(), {"wait 100", instr(0x18), instr(0x0C), "wait 3000"});
    for (int i = 0; i < 19; ++i)
        lines.insert(lines.end(), {instr(0x80), data(0x00), instr(0x1C), "wait 200", instr(0x80),
                                   data(0x01), "wait 200"});
    lines.insert(lines.end(),
                 {instr(0x01), instr(0x0C), data(0x02), "wait 1000", instr(0x51), data(0x15),
                  "wait 100", instr(0x51), data(0x1F), "wait 200", instr(0x52), data(0x1F),
                  "wait 500", instr(0x52), data(0x15), instr(0x02)});
    return lines;
}

constexpr int own_waits_ms = 100 + 3000 + 19 * 400 + 1000 + 100 + 200 + 500 + 1;

TEST_F(Demo, EightBitRunSendsTheWholeShow) {
    open_lpt1();
    display::bus_width = BusWidth::eight_bit;
    display::run_demo();
    EXPECT_EQ(notice_texts(), std::vector<std::string>{"8-bit-Bus?"});

    Trace expected{"I 38"};
    const Trace show = expected_script();
    expected.insert(expected.end(), show.begin(), show.end());
    EXPECT_EQ(script(trace, BusWidth::eight_bit, 3), expected);
    EXPECT_EQ(decode_pulses(trace).size(), 3u + 188u);
    EXPECT_EQ(total_delay_ms(trace, 1), 12500);
    EXPECT_EQ(total_delay_ms(trace), own_waits_ms + 188 * 5 + 12);
}

TEST_F(Demo, FourBitRunInitialisesWithNibbles) {
    open_lpt1();
    display::run_demo();
    EXPECT_TRUE(notices.shown.empty());

    Trace expected{"I 28"};
    const Trace show = expected_script();
    expected.insert(expected.end(), show.begin(), show.end());
    EXPECT_EQ(script(trace, BusWidth::four_bit, 4), expected);
    EXPECT_EQ(decode_pulses(trace).size(), 4u + 2 * 188u);
    EXPECT_EQ(total_delay_ms(trace), own_waits_ms + 188 * 8 + 15);
}

TEST_F(Demo, NoToTheQuestionSkipsTheInitialisationButPlaysOn) {
    open_lpt1();
    display::bus_width = BusWidth::eight_bit;
    notices.answers = {app::Answer::no};
    display::run_demo();
    EXPECT_EQ(display::bus_width, BusWidth::four_bit);

    const Trace show = expected_script();
    EXPECT_EQ(script(trace, BusWidth::four_bit, 0), Trace(show.begin() + 7, show.end()));
    EXPECT_EQ(decode_pulses(trace).size(), 2 * 180u);
    EXPECT_EQ(total_delay_ms(trace), own_waits_ms + 180 * 8);
}

TEST_F(Demo, WithoutPortOnlyItsOwnNoticeIsShown) {
    display::run_demo();
    EXPECT_EQ(trace, Trace{notice("LPT-port not available")});
    EXPECT_EQ(notices.shown[0].caption, "Orvo_LPTio_HD44780-Modul");
    EXPECT_EQ(notices.shown[0].kind, app::NoticeKind::plain);
}

} // namespace
