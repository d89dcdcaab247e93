#include "display/demo.h"
#include "support/core_test.h"

#include <cstdio>

using namespace lumivex;
using display::BusWidth;

namespace {

using Demo = CoreTest;

std::string byte(char kind, unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, " %c%02X", kind, value);
    return text;
}

// The show as the display sees it: " I38" an instruction, " D0E" data (nibbles joined on a
// 4-bit bus), " w100" a wait longer than the bus cycles' 1 ms steps. The first raw_pulses E
// pulses (the initialisation's raw function sets) are left out.
std::string script(const Trace& trace, BusWidth width, int raw_pulses) {
    std::string show;
    unsigned data = 0, control = 0x0B, nibbles = 0, high_nibble = 0, address = 0, value = 0;
    for (const std::string& line : trace) {
        if (std::sscanf(line.c_str(), "DELAY %u", &value) == 1 && value > 1)
            show += " w" + std::to_string(value);
        if (std::sscanf(line.c_str(), "OUTPORT %X %X", &address, &value) != 2)
            continue;
        data = address == 0x378 ? value : data;
        const bool e_falls = address == 0x37A && (control & 0x04) != 0 && (value & 0x04) == 0;
        const char kind = (control & 0x02) != 0 ? 'I' : 'D';
        control = address == 0x37A ? value : control;
        if (!e_falls || raw_pulses-- > 0)
            continue;
        if (width == BusWidth::four_bit && nibbles++ % 2 == 0)
            high_nibble = data;
        else
            show += byte(kind, width == BusWidth::four_bit ? high_nibble | data >> 4 : data);
    }
    return show;
}

// Everything after the function set.
std::string expected_show() {
    std::string show = " I08 I01 I06 I10 I80 I0F I02";
    const int glyphs[24] = {0x0E, 0x1F, 0x1B, 0x1F, 0x10, 0x1F, 0x0E, 0x00, 0x0E, 0x1B, 0x1F, 0x1C,
                            0x10, 0x10, 0x18, 0x0F, 0x0E, 0x1F, 0x15, 0x1F, 0x11, 0x1F, 0x0E, 0x00};
    for (int i = 0; i < 24; ++i)
        show += byte('I', 0x40 + i) + byte('D', glyphs[i]);
    show += " I01 I02 I18 I18 I14 I14";
    for (char c : display::demo_banner)
        show += byte('D', static_cast<unsigned char>(c));
    show += " w100 I18 I0C w3000";
    for (int i = 0; i < 19; ++i)
        show += " I80 D00 I1C w200 I80 D01 w200";
    return show + " I01 I0C D02 w1000 I51 D15 w100 I51 D1F w200 I52 D1F w500 I52 D15 I02";
}

// Yes initialises the display on 8 bits; No leaves it as it is and plays on with 4 bits.
TEST_F(Demo, AsksInitialisesAndPlaysTheShow) {
    open_lpt1();
    display::bus_width = BusWidth::eight_bit;
    display::run_demo();
    EXPECT_EQ(notice_texts(), std::vector<std::string>{"8-bit-Bus?"});
    EXPECT_EQ(script(trace, BusWidth::eight_bit, 3), " I38" + expected_show());
    // The long waits, one of 1 ms before the last return home, and the bus cycles' 1 ms steps.
    EXPECT_EQ(total_delay_ms(trace), 12500 + 1 + 188 * 5 + 12);
    trace.clear();
    notices.answers = {app::Answer::no};
    display::run_demo();
    EXPECT_EQ(script(trace, BusWidth::four_bit, 0), expected_show().substr(28));
}

} // namespace
