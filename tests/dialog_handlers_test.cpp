#include "app/program.h"
#include "dialog/control_ids.h"
#include "dialog/handlers.h"
#include "support/core_test.h"
#include "support/front_end_cases.h"

#include <tuple>

using namespace lumivex;
using namespace lumivex::dialog;
using Texts = std::vector<std::string>;

namespace {

class DialogHandlers : public CoreTest {
protected:
    DialogHandlers() { initialise_dialog(dialog); }

    // Opens LPT1 from the dialog; later writes go out on the 8-bit bus, one pulse a byte.
    void open_port_on_eight_bits() {
        click(open_port_button);
        display::bus_width = display::BusWidth::eight_bit;
    }
    // What reached the display when the control had the notification.
    std::vector<BusPulse> sent_by(int id, Notification notification = Notification::clicked) {
        trace.clear();
        handle_command(dialog, id, notification);
        return decode_pulses(trace);
    }
    bool click(int id) { return handle_command(dialog, id, Notification::clicked); }
    std::pair<int, bool> open_state() {
        return {app::current_base_address, dialog.highlights[open_port_button]};
    }
};

TEST_F(DialogHandlers, InitialisationFillsTheListAndEachControlReachesItsHandlerWithItsOperand) {
    EXPECT_EQ(dialog.lists[command_list],
              (Texts{"Write data to CG or DDRAM", "--------------------------", "Set CGRAM address",
                     "Set DDRAM address", "Read busy flag & address", "Read data from CG or DDRAM",
                     "--------------------------", "Entry mode set", "Display on/off control",
                     "Cursor or display shift", "Function set"}));
    EXPECT_EQ(dialog.texts[command_list], " Choose HD44780-command... !");
    EXPECT_EQ(dialog.checked, std::set<int>{lpt1_radio});
    EXPECT_EQ(dialog.limits, (std::map<int, int>{{operand_field, 11}, {sequence_field, 14}}));
    open_port_on_eight_bits();
    dialog.selections[command_list] = 3;
    for (const front_end::ClickCase& c : front_end::click_cases) {
        dialog.texts[c.field] = c.text;
        EXPECT_EQ(sent_by(c.button), (std::vector<BusPulse>{{c.rs, 0, c.byte}})) << c.button;
    }
    dialog.texts = {{operand_field, "1100 0000"}, {sequence_field, "01 0100 0001"}};
    using enum Notification;
    EXPECT_EQ(sent_by(command_list, close_up), instructions({0xC0}));
    EXPECT_EQ(sent_by(command_list, close_up), instructions({0xC0})); // the same selection again
    for (const Notification ignored : {edit_change, other, set_focus})
        for (const int id : {command_list, operand_field, sequence_field})
            EXPECT_TRUE(sent_by(id, ignored).empty()) << id;
    EXPECT_EQ(sent_by(send_sequence_button), (std::vector<BusPulse>{{0, 1, 0x41}})); // RS, R/W
    EXPECT_EQ(dialog.opened_lists, std::vector<int>{command_list});
    EXPECT_EQ(dialog.selected_all, (std::vector<int>{operand_field, sequence_field}));
    EXPECT_TRUE(notices.shown.empty());
    dialog.selections[command_list] = -1;
    EXPECT_TRUE(sent_by(command_list, close_up).empty());
}

TEST_F(DialogHandlers, OpenTakesTheCheckedPortCloseSaysWhenNoneWasOpenAndHelpOpensThePage) {
    dialog.checked = {lpt2_radio};
    EXPECT_FALSE(click(open_port_button));
    EXPECT_EQ(trace[1], "OPENCOM LPT2:");
    EXPECT_EQ(open_state(), std::pair(0x278, true));
    click(close_port_button);
    EXPECT_EQ(trace.back(), "RELEASE");
    EXPECT_EQ(open_state(), std::pair(0, false));
    click(close_port_button);
    EXPECT_EQ(notice_texts(), Texts{"Port war gar nicht geöffnet"});
    port.opencom_succeeds = false;
    click(open_port_button);
    EXPECT_EQ(open_state(), std::pair(0, false));
    EXPECT_FALSE(click(help_button));
    EXPECT_EQ(dialog.documents, Texts{"HELP/overview.htm"});
}

TEST_F(DialogHandlers, LongActionsShowBusyOnTheirButtonAndInitFollowsTheBusCheckBox) {
    for (const auto& [id, label] : {std::pair{led_test_button, "&LED-Test"},
                                    {init_button, "&Init. HD44"},
                                    {demo_button, "LCD- De&mo"}}) {
        dialog.text_changes.clear();
        click(id);
        EXPECT_EQ(dialog.text_changes,
                  (std::vector<std::pair<int, std::string>>{{id, "busy..."}, {id, label}}));
    }
    // Without a port the LED test returns silently.
    EXPECT_EQ(notice_texts(), (Texts{"port not available", "LPT-port not available"}));
    open_port_on_eight_bits();
    dialog.checked.insert(bus_width_check);
    EXPECT_EQ(sent_by(init_button).size(), 3u + 8u); // raw function sets, then the instructions
    dialog.checked.erase(bus_width_check);
    EXPECT_EQ(sent_by(init_button).size(), 4u + 2 * 8u);
}

TEST_F(DialogHandlers, AutoIncrementCountsOperandAndSequenceUpAfterAGoodText) {
    open_port_on_eight_bits();
    const std::tuple<int, int, const char*, const char*> cases[] = {
        {repeat_command_button, operand_field, "0000 0001", "0000 0001"}, // not checked yet
        {send_sequence_button, sequence_field, "00 0000 0001", "00 0000 0001"},
        {repeat_command_button, operand_field, "0000 1111", "0001 0000"},
        {repeat_command_button, operand_field, "1111 1111", "0000 0000"}, // low eight bits shown
        {repeat_command_button, operand_field, "0000 000x", "0000 000x"},
        {send_sequence_button, sequence_field, "10 0100 0001", "10 0100 0010"},
        {send_sequence_button, sequence_field, "00 1111 1111", "01 0000 0000"},
        {send_sequence_button, sequence_field, "11 1111 1111", "00 0000 0000"},
        {send_sequence_button, sequence_field, "10 0100 00a1", "10 0100 00a1"}};
    for (const auto& [button, field, text, next] : cases) {
        if (button == repeat_command_button && std::string(text) == "0000 1111")
            dialog.checked.insert({auto_increment_address_check, auto_increment_sequence_check});
        dialog.texts[field] = text;
        click(button);
        EXPECT_EQ(dialog.texts[field], next) << text;
    }
    EXPECT_EQ(notice_texts(), Texts(2, "Nur '1', '0' und Leerzeichen!")); // once each
    EXPECT_EQ(dialog.reads.back(), (std::pair<int, int>{sequence_field, 14}));
}

TEST_F(DialogHandlers, ExitEndsTheDialogAndTheProgram) {
    EXPECT_FALSE(click(1) || click(2)); // Enter and Escape have no handler
    EXPECT_TRUE(dialog.end_results.empty());
    EXPECT_TRUE(click(exit_button));
    EXPECT_EQ(dialog.end_results, std::vector<int>{9999});
    open_port_on_eight_bits();
    app::check_dialog_result(exit_result);
    app::end_program();
    EXPECT_EQ(trace.back(), "RELEASE");
    app::check_dialog_result(-1);
    EXPECT_EQ(notices.shown,
              (std::vector<Notice>{{app::NoticeOwner::main_window, "Program-Error (ID: Dialog)",
                                    "Lumivex", app::NoticeKind::information}}));
}

} // namespace
