#include "dialog/control_ids.h"
#include "display/commands.h"
#include "support/core_test.h"

using namespace lumivex;
using namespace lumivex::dialog;
using display::issue_selected_command;

namespace {

class Commands : public CoreTest {
protected:
    // What one command puts on the bus, with this operand text.
    std::vector<BusPulse> sent(int index, const std::string& operand) {
        trace.clear();
        dialog.texts[operand_field] = operand;
        issue_selected_command(index);
        return decode_pulses(trace);
    }
};

TEST_F(Commands, EachEntryMasksItsOperandIntoItsInstruction) {
    open_lpt1();
    display::bus_width = display::BusWidth::eight_bit;
    const std::string all = "11 1111 1111";
    const std::pair<int, std::string> cases[] = {
        {0, "0100 0001"},  {0, all},  {1, all},  {2, all}, {3, "1100 0000"},
        {3, all},          {6, all},  {7, all},  {8, all}, {9, all},
        {10, "0011 1100"}, {10, all}, {11, all}, {-2, all}};
    for (const auto& [index, operand] : cases) {
        dialog.texts[operand_field] = operand;
        issue_selected_command(index);
    }
    // Separators and indexes outside the list send nothing; DL is never sent.
    std::vector<BusPulse> expected = instructions({0x7F, 0xC0, 0xFF, 0x07, 0x0F, 0x1F, 0x2C, 0x2F});
    expected.insert(expected.begin(), {{1, 0, 0x41}, {1, 0, 0xFF}});
    EXPECT_EQ(decode_pulses(trace), expected);
    EXPECT_TRUE(notices.shown.empty());
    // The operand is read with its limit for every entry, but not when none is selected.
    sent(-1, all);
    EXPECT_EQ(dialog.reads, (std::vector<std::pair<int, int>>(
                                std::size(cases), {operand_field, operand_field_limit})));
}

TEST_F(Commands, ReadsShowTheByteInTheReadBackFieldAFailedOneClearsItABadOperandStopsAll) {
    dialog.texts[read_back_field] = "0000 0001";
    sent(4, "0000 0000"); // no port
    EXPECT_EQ(dialog.texts[read_back_field], "");
    EXPECT_EQ(notice_texts(), std::vector<std::string>{"port not available"});
    open_lpt1();
    port.inport_script = {0x0B, 0x78, 0x08};
    sent(4, "0000 0000");
    EXPECT_EQ(dialog.texts[read_back_field], "1111 0001");
    for (int index : {0, 1, 4}) // reported even for separators and reads
        EXPECT_TRUE(sent(index, "0000 0002").empty()) << index;
    EXPECT_EQ(notice_texts(), std::vector<std::string>(3, "Nur '1', '0' und Leerzeichen!"));
    EXPECT_EQ(dialog.texts[read_back_field], "1111 0001");
    display::bus_width = display::BusWidth::eight_bit;
    port.inport_script = {0x0B, 0x41};
    EXPECT_EQ(sent(5, "0000 0000"), (std::vector<BusPulse>{{1, 1, 0x00}}));
    EXPECT_EQ(dialog.texts[read_back_field], "0100 0001");
}

} // namespace
