#include "app/shared_state.h"
#include "display/bus_cycles.h"
#include "port/lpt_wiring.h"
#include "support/core_test.h"

using namespace lumivex;
using display::BusWidth;
using display::read_cycle;
using display::write_cycle;

namespace {

using BusCycles = CoreTest;

const std::string wait_1 = delay(1);

TEST_F(BusCycles, FourBitWriteSendsHighNibbleThenLowNibble) {
    open_lpt1();
    write_cycle(0, 0x01);
    EXPECT_EQ(trace, (Trace{cr(0x0B), dr(0x00), wait_1,                   // idle
                            cr(0x0B), dr(0x00), wait_1, cr(0x0F), wait_1, // high nibble
                            cr(0x0B), wait_1,                             //
                            dr(0x10), wait_1, cr(0x0F), wait_1,           // low nibble
                            cr(0x0B), wait_1,                             //
                            cr(0x0B), dr(0x00), wait_1}));                // idle
    EXPECT_TRUE(notices.shown.empty());
}

TEST_F(BusCycles, EightBitWriteIsOnePulseOfTheLowBitsOfSelectorAndValue) {
    open_lpt1();
    display::bus_width = BusWidth::eight_bit;
    write_cycle(6, 0x141);
    EXPECT_EQ(trace, (Trace{cr(0x0B), dr(0x00), wait_1, cr(0x09), dr(0x41), wait_1, cr(0x0D),
                            wait_1, cr(0x09), wait_1, cr(0x0B), dr(0x00), wait_1}));
}

TEST_F(BusCycles, FourBitReadTakesBothNibblesFromTheStatusRegister) {
    open_lpt1();
    port.inport_script = {0x2F, 0x78, 0x08}; // CR with direction bit and E set, then SR twice
    EXPECT_EQ(read_cycle(1), 0xF1);
    EXPECT_EQ(trace, (Trace{inport(0x37A), cr(0x2B), dr(0x00), wait_1, // E low, rest as read
                            cr(0x0A),      wait_1,   cr(0x0E), wait_1, // first E pulse
                            inport(0x379), wait_1,                     //
                            cr(0x0B),      wait_1,   cr(0x0E), wait_1, // second E pulse
                            inport(0x379), wait_1,                     //
                            cr(0x0A),      wait_1,   cr(0x0B), wait_1}));
}

TEST_F(BusCycles, EightBitReadWarnsAfterThePreambleAndReadsTheDataRegister) {
    open_lpt1();
    display::bus_width = BusWidth::eight_bit;
    port.inport_script = {0x0B, 0x5C};
    EXPECT_EQ(read_cycle(3), 0x5C);
    const char* ps2 = "Reading 8-bit-bus via PS2/EPP-compatible port device DR(BA+0). Not "
                      "supported by SR(BA+1)!";
    EXPECT_EQ(trace,
              (Trace{inport(0x37A), cr(0x0B), dr(0x00), wait_1, notice(ps2), cr(0x08), wait_1,
                     cr(0x0C), wait_1, inport(0x378), wait_1, cr(0x0B), wait_1, cr(0x0B), wait_1}));
}

TEST_F(BusCycles, WithoutPortNothingIsSentAndAReadThePortRefusesFails) {
    write_cycle(0, 0x01);
    EXPECT_EQ(read_cycle(1), -1);
    EXPECT_EQ(trace, (Trace{notice("port not available"), notice("port not available")}));
    EXPECT_EQ(notices.shown[0].caption, "Orvo_LPTio_HD44780-Modul");
    EXPECT_EQ(notices.shown[0].kind, app::NoticeKind::plain);
    EXPECT_EQ(notices.shown[0].owner, app::NoticeOwner::main_window);

    app::current_base_address = lpt::lpt1_base_address; // set, but no library bound
    EXPECT_EQ(read_cycle(1), -1);
}

} // namespace
