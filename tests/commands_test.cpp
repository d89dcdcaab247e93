#include "display/bus_cycles.h"
#include "display/commands.h"
#include "support/core_test.h"

using namespace lumivex;
using display::BusWidth;
using display::issue_selected_command;

namespace {

class Commands : public CoreTest {
protected:
    // What one command puts on an 8-bit bus, with this operand text.
    std::vector<BusPulse> sent(int index, const std::string& operand) {
        trace.clear();
        dialog.texts[705] = operand;
        issue_selected_command(index);
        return decode_pulses(trace);
    }
};

std::vector<BusPulse> instruction(int value) {
    return {{0, 0, value}};
}

TEST_F(Commands, EachWriteCommandMasksItsOperand) {
    open_lpt1();
    display::bus_width = BusWidth::eight_bit;
    EXPECT_EQ(sent(0, "0100 0001"), (std::vector<BusPulse>{{1, 0, 0x41}}));
    EXPECT_EQ(sent(2, "1111 1111"), instruction(0x7F));
    EXPECT_EQ(sent(3, "1100 0000"), instruction(0xC0));
    EXPECT_EQ(sent(3, "1 0000 0000"), instruction(0x80));
    EXPECT_EQ(sent(7, "0000 0011"), instruction(0x07));
    EXPECT_EQ(sent(8, "0000 0100"), instruction(0x0C));
    EXPECT_EQ(sent(9, "0000 0101"), instruction(0x15));
    EXPECT_EQ(sent(10, "0011 1100"), instruction(0x2C)); // DL is never sent
    EXPECT_TRUE(notices.shown.empty());
}

TEST_F(Commands, AllOperandBitsSetShowEachMask) {
    open_lpt1();
    display::bus_width = BusWidth::eight_bit;
    const std::string all = "11 1111 1111";
    EXPECT_EQ(sent(0, all), (std::vector<BusPulse>{{1, 0, 0xFF}}));
    EXPECT_EQ(sent(2, all), instruction(0x7F));
    EXPECT_EQ(sent(3, all), instruction(0xFF));
    EXPECT_EQ(sent(7, all), instruction(0x07));
    EXPECT_EQ(sent(8, all), instruction(0x0F));
    EXPECT_EQ(sent(9, all), instruction(0x1F));
    EXPECT_EQ(sent(10, all), instruction(0x2F));
}

TEST_F(Commands, OperandIsReadWithItsLimitForEveryEntryButNone) {
    open_lpt1();
    dialog.texts[705] = "0000 0000";
    issue_selected_command(-1);
    EXPECT_TRUE(dialog.reads.empty());
    for (int index : {1, 6, 11, -2}) {
        EXPECT_TRUE(sent(index, "0000 0001").empty()) << index;
        EXPECT_TRUE(trace.empty()) << index;
    }
    EXPECT_EQ(dialog.reads, (std::vector<std::pair<int, int>>(4, {705, 11})));
}

TEST_F(Commands, BadOperandIsReportedEvenForSeparatorsAndNothingIsSent) {
    open_lpt1();
    dialog.texts[707] = "0101 0101";
    for (int index : {0, 1, 3, 4, 5, 10})
        EXPECT_TRUE(sent(index, "0000 0002").empty()) << index;
    EXPECT_EQ(notice_texts(), std::vector<std::string>(6, "Nur '1', '0' und Leerzeichen!"));
    EXPECT_EQ(dialog.texts[707], "0101 0101");
}

TEST_F(Commands, ReadBusyFlagShowsTheByteInTheReadBackField) {
    open_lpt1();
    port.inport_script = {0x0B, 0x78, 0x08};
    dialog.texts[705] = "0000 0000";
    issue_selected_command(4);
    EXPECT_EQ(dialog.texts[707], "1111 0001");
    EXPECT_TRUE(notices.shown.empty());
}

TEST_F(Commands, ReadDataOnEightBitsWarnsFirst) {
    open_lpt1();
    display::bus_width = BusWidth::eight_bit;
    port.inport_script = {0x0B, 0x41};
    dialog.texts[705] = "0000 0000";
    issue_selected_command(5);
    EXPECT_EQ(dialog.texts[707], "0100 0001");
    EXPECT_EQ(notice_texts(),
              std::vector<std::string>{"Reading 8-bit-bus via PS2/EPP-compatible port device "
                                       "DR(BA+0). Not supported by SR(BA+1)!"});
}

TEST_F(Commands, FailedReadClearsTheReadBackField) {
    dialog.texts[705] = "1010 1010";
    dialog.texts[707] = "0000 0001";
    issue_selected_command(4);
    EXPECT_EQ(dialog.texts[707], "");
    EXPECT_EQ(notice_texts(), std::vector<std::string>{"port not available"});
}

TEST_F(Commands, WithoutPortTheBusReportsIt) {
    dialog.texts[705] = "1100 0000";
    issue_selected_command(3);
    EXPECT_EQ(trace, Trace{notice("port not available")});
}

} // namespace
