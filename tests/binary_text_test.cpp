#include "display/commands.h"
#include "support/core_test.h"
#include "text/binary_text.h"
#include "text/command_list.h"

using namespace lumivex;
using text::format_binary_text;
using text::parse_binary_text;

namespace {

using BinaryText = CoreTest;

constexpr const char* only_digits = "Nur '1', '0' und Leerzeichen!";

TEST_F(BinaryText, ParsesDigitsIgnoringBlanksAnywhere) {
    EXPECT_EQ(parse_binary_text("0000 0000"), 0);
    EXPECT_EQ(parse_binary_text("1111 1111"), 255);
    EXPECT_EQ(parse_binary_text("11 1111 1111"), 1023);
    EXPECT_EQ(parse_binary_text(" 1 0 1 "), 5);
    EXPECT_EQ(parse_binary_text("1100 0000"), 192);
    EXPECT_EQ(parse_binary_text(""), 0);
    EXPECT_EQ(parse_binary_text("    "), 0);
    EXPECT_TRUE(notices.shown.empty());
}

TEST_F(BinaryText, ValuesAboveTenBitsAreReportedAndCutToTheLowTenBits) {
    EXPECT_EQ(parse_binary_text("100 0000 0000"), 0);
    EXPECT_EQ(parse_binary_text("111 1111 1111"), 1023);
    EXPECT_EQ(parse_binary_text("1" + std::string(40, '0') + "101"), 5);
    EXPECT_EQ(parse_binary_text(std::string(1000, '1')), 1023);
    ASSERT_EQ(notices.shown.size(), 4u);
    for (const Notice& shown : notices.shown) {
        EXPECT_EQ(shown.text, "extends 1023");
        EXPECT_EQ(shown.caption, "Modul Orvo_commonTools");
        EXPECT_EQ(shown.kind, app::NoticeKind::information);
        EXPECT_EQ(shown.owner, app::NoticeOwner::main_window);
    }
}

TEST_F(BinaryText, AnyOtherCharacterIsReportedOnceAndGivesMinusOne) {
    EXPECT_EQ(parse_binary_text("1111 1112"), -1);
    EXPECT_EQ(parse_binary_text("1\t0"), -1);           // a tab is not a blank
    EXPECT_EQ(parse_binary_text("x111 1111 1111"), -1); // no "extends 1023" as well
    EXPECT_EQ(parse_binary_text("0x1F"), -1);
    EXPECT_EQ(notice_texts(), std::vector<std::string>(4, only_digits));
    EXPECT_EQ(notices.shown[0].caption, "Modul Orvo_commonTools");
    EXPECT_EQ(notices.shown[0].kind, app::NoticeKind::information);
}

TEST_F(BinaryText, FormatsEightBitsAndReturnsBitsNineAndEight) {
    std::string text;
    EXPECT_EQ(format_binary_text(5, text), 0);
    EXPECT_EQ(text, "0000 0101");
    EXPECT_EQ(format_binary_text(256, text), 1);
    EXPECT_EQ(text, "0000 0000");
    EXPECT_EQ(format_binary_text(1023, text), 3);
    EXPECT_EQ(text, "1111 1111");
    EXPECT_EQ(format_binary_text(0x2A5, text), 2);
    EXPECT_EQ(text, "1010 0101");
    EXPECT_EQ(format_binary_text(1024, text), 0);
    EXPECT_EQ(text, "0000 0000");
}

TEST_F(BinaryText, NegativeValueLeavesTheTextAlone) {
    std::string text = "0001 0000";
    EXPECT_EQ(format_binary_text(-1, text), -1);
    EXPECT_EQ(text, "0001 0000");
}

TEST_F(BinaryText, CommandListIsFilledInOrderWithTheCueText) {
    text::fill_command_list(dialog, 706, display::command_texts());
    EXPECT_EQ(dialog.lists[706],
              (std::vector<std::string>{
                  "Write data to CG or DDRAM", "--------------------------", "Set CGRAM address",
                  "Set DDRAM address", "Read busy flag & address", "Read data from CG or DDRAM",
                  "--------------------------", "Entry mode set", "Display on/off control",
                  "Cursor or display shift", "Function set"}));
    EXPECT_EQ(dialog.texts[706], " Choose HD44780-command... !");
}

} // namespace
