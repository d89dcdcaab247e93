#include "app/program.h"
#include "app/shared_state.h"
#include "dialog/control_ids.h"
#include "dialog/handlers.h"
#include "display/bus_cycles.h"
#include "support/core_test.h"

using namespace lumivex;
using dialog::handle_command;
using dialog::Notification;

namespace {

class DialogHandlers : public CoreTest {
protected:
    DialogHandlers() { dialog::initialise_dialog(dialog); }

    bool click(int id) { return handle_command(dialog, id, Notification::clicked); }
    void open_port_from_dialog() {
        click(dialog::open_port_button);
        trace.clear();
        dialog.text_changes.clear();
    }
    // What reached the display, one entry per byte on the 8-bit bus.
    std::vector<BusPulse> sent_on_eight_bits(int id) {
        display::bus_width = display::BusWidth::eight_bit;
        trace.clear();
        click(id);
        return decode_pulses(trace);
    }
};

const std::vector<std::string> not_opened{"Port war gar nicht geöffnet"};

TEST_F(DialogHandlers, InitialisationFillsTheListChecksLpt1AndLimitsTheFields) {
    EXPECT_EQ(dialog.lists[706].size(), 11u);
    EXPECT_EQ(dialog.texts[706], " Choose HD44780-command... !");
    EXPECT_EQ(dialog.checked, std::set<int>{201});
    EXPECT_EQ(dialog.limits, (std::map<int, int>{{705, 11}, {714, 14}}));
    EXPECT_EQ(app::current_dialog, &dialog);
}

TEST_F(DialogHandlers, OpenLpt2ClearsItsRegistersAndHighlightsTheButton) {
    dialog.checked = {202};
    EXPECT_FALSE(click(203));
    EXPECT_EQ(app::current_base_address, 0x278);
    EXPECT_EQ(trace, (Trace{"LOAD drv/PORT.DLL", "OPENCOM LPT2:", outport(0x278, 0),
                            outport(0x27A, 0x0B)}));
    EXPECT_TRUE(dialog.highlights[203]);
}

TEST_F(DialogHandlers, FailedOpenResetsBaseAndHighlightAndCloseThenSaysSo) {
    port.opencom_succeeds = false;
    click(203);
    EXPECT_EQ(app::current_base_address, 0);
    EXPECT_FALSE(dialog.highlights[203]);
    notices.shown.clear();
    click(204);
    EXPECT_EQ(notice_texts(), not_opened);
    EXPECT_EQ(notices.shown[0].owner, app::NoticeOwner::dialog);
    EXPECT_EQ(notices.shown[0].caption, "Lumivex_Dilaog-Modul");
    EXPECT_EQ(notices.shown[0].kind, app::NoticeKind::information);
}

TEST_F(DialogHandlers, CloseTwiceClosesOnceThenSaysNothingWasOpen) {
    open_port_from_dialog();
    click(204);
    EXPECT_EQ(trace, (Trace{dr(0), inport(0x37A), cr(0x0B), "CLOSECOM", "RELEASE"}));
    EXPECT_FALSE(dialog.highlights[203]);
    EXPECT_EQ(app::current_base_address, 0);
    EXPECT_TRUE(notices.shown.empty());
    click(204);
    EXPECT_EQ(notice_texts(), not_opened);
    EXPECT_EQ(app::current_base_address, 0);
}

TEST_F(DialogHandlers, FailedReopenClosesTheOpenDeviceFirst) {
    open_port_from_dialog();
    port.opencom_succeeds = false;
    click(203);
    EXPECT_EQ(app::current_base_address, 0);
    EXPECT_FALSE(dialog.highlights[203]);
    EXPECT_EQ(std::count(trace.begin(), trace.end(), "CLOSECOM"), 1);
    notices.shown.clear();
    click(204);
    EXPECT_EQ(notice_texts(), not_opened);
    EXPECT_EQ(port.loads, port.releases);
}

TEST_F(DialogHandlers, LedTestShowsBusyWhileItRuns) {
    click(1405); // no port: returns at once, silently
    EXPECT_TRUE(notices.shown.empty());
    open_port_from_dialog();
    click(1405);
    EXPECT_EQ(total_delay_ms(trace), 7300);
    EXPECT_EQ(dialog.text_changes,
              (std::vector<std::pair<int, std::string>>{{1405, "busy..."}, {1405, "&LED-Test"}}));
}

TEST_F(DialogHandlers, InitFollowsTheBusCheckBox) {
    open_port_from_dialog();
    dialog.checked.insert(701);
    click(702);
    EXPECT_EQ(display::bus_width, display::BusWidth::eight_bit);
    EXPECT_EQ(decode_pulses(trace).size(), 3u + 8u);
    EXPECT_EQ(dialog.text_changes,
              (std::vector<std::pair<int, std::string>>{{702, "busy..."}, {702, "&Init. HD44"}}));

    trace.clear();
    dialog.checked.erase(701);
    click(702);
    EXPECT_EQ(display::bus_width, display::BusWidth::four_bit);
    EXPECT_EQ(decode_pulses(trace).size(), 4u + 2 * 8u);
}

TEST_F(DialogHandlers, InitAnsweredNoSendsNothingAndRestoresTheLabel) {
    open_port_from_dialog();
    display::bus_width = display::BusWidth::eight_bit;
    dialog.checked.insert(701);
    notices.answers = {app::Answer::no};
    click(702);
    EXPECT_EQ(trace, Trace{notice("8-bit-Bus?")});
    EXPECT_EQ(display::bus_width, display::BusWidth::four_bit);
    EXPECT_EQ(dialog.texts[702], "&Init. HD44");
}

TEST_F(DialogHandlers, EachDisplayButtonSendsItsInstruction) {
    open_port_from_dialog();
    const std::pair<int, int> buttons[] = {{703, 0x0F}, {710, 0x01}, {711, 0x03}, {771, 0x10},
                                           {772, 0x14}, {773, 0x80}, {774, 0xC0}};
    for (const auto& [id, instruction] : buttons)
        EXPECT_EQ(sent_on_eight_bits(id), (std::vector<BusPulse>{{0, 0, instruction}})) << id;

    display::bus_width = display::BusWidth::four_bit;
    trace.clear();
    click(774);
    EXPECT_EQ(decode_pulses(trace), (std::vector<BusPulse>{{0, 0, 0xC0}, {0, 0, 0x00}}));
}

TEST_F(DialogHandlers, WithoutPortDisplayButtonsReportIt) {
    for (int id : {702, 703, 710, 711, 771, 772, 773, 774})
        click(id);
    EXPECT_EQ(notice_texts(), std::vector<std::string>(8, "port not available"));
    notices.shown.clear();
    click(704);
    EXPECT_EQ(notice_texts(), std::vector<std::string>{"LPT-port not available"});
    EXPECT_EQ(dialog.texts[704], "LCD- De&mo");
}

TEST_F(DialogHandlers, CommandListOpensOnTypingAndIssuesOnEveryCloseUp) {
    open_port_from_dialog();
    display::bus_width = display::BusWidth::eight_bit;
    handle_command(dialog, 706, Notification::edit_change);
    EXPECT_EQ(dialog.opened_lists, std::vector<int>{706});

    dialog.texts[705] = "1100 0000";
    dialog.selections[706] = 3;
    for (int i = 0; i < 2; ++i) { // the same selection again still sends
        trace.clear();
        handle_command(dialog, 706, Notification::close_up);
        EXPECT_EQ(decode_pulses(trace), (std::vector<BusPulse>{{0, 0, 0xC0}}));
    }
    trace.clear();
    dialog.selections[706] = -1;
    handle_command(dialog, 706, Notification::close_up);
    handle_command(dialog, 706, Notification::other);
    EXPECT_TRUE(trace.empty());
}

TEST_F(DialogHandlers, FocusingABinaryFieldSelectsItsText) {
    handle_command(dialog, 705, Notification::set_focus);
    handle_command(dialog, 714, Notification::set_focus);
    handle_command(dialog, 705, Notification::other);
    EXPECT_EQ(dialog.selected_all, (std::vector<int>{705, 714}));
}

TEST_F(DialogHandlers, RepeatCommandCountsTheOperandUp) {
    open_port_from_dialog();
    display::bus_width = display::BusWidth::eight_bit;
    dialog.selections[706] = 3;
    dialog.checked.insert(708);
    dialog.texts[705] = "0000 1111";
    click(709);
    EXPECT_EQ(decode_pulses(trace), (std::vector<BusPulse>{{0, 0, 0x8F}}));
    EXPECT_EQ(dialog.texts[705], "0001 0000");

    dialog.texts[705] = "1111 1111";
    click(709);
    EXPECT_EQ(dialog.texts[705], "0000 0000");

    dialog.checked.erase(708);
    click(709);
    EXPECT_EQ(dialog.texts[705], "0000 0000");
}

TEST_F(DialogHandlers, RepeatWithoutCommandOrPortStillCounts) {
    dialog.checked.insert(708);
    dialog.texts[705] = "0000 0001";
    click(709); // nothing selected
    EXPECT_EQ(dialog.texts[705], "0000 0010");
    dialog.selections[706] = 6; // a separator
    click(709);
    EXPECT_EQ(dialog.texts[705], "0000 0011");
    EXPECT_TRUE(trace.empty());
    dialog.selections[706] = 0; // no port
    click(709);
    EXPECT_EQ(notice_texts(), std::vector<std::string>{"port not available"});
    EXPECT_EQ(dialog.texts[705], "0000 0100");
}

TEST_F(DialogHandlers, RepeatWithBadOperandReportsOnceAndStops) {
    open_port_from_dialog();
    dialog.selections[706] = 0;
    dialog.checked.insert(708);
    dialog.texts[705] = "0000 000x";
    click(709);
    EXPECT_EQ(notice_texts(), std::vector<std::string>{"Nur '1', '0' und Leerzeichen!"});
    EXPECT_EQ(trace, Trace{notice("Nur '1', '0' und Leerzeichen!")});
    EXPECT_EQ(dialog.texts[705], "0000 000x");
}

TEST_F(DialogHandlers, SendSequenceSplitsSelectorAndByteAndCountsTenBits) {
    open_port_from_dialog();
    display::bus_width = display::BusWidth::eight_bit;
    dialog.checked.insert(715);
    const auto send = [&](const std::string& text) {
        trace.clear();
        dialog.texts[714] = text;
        click(716);
        return decode_pulses(trace);
    };
    EXPECT_EQ(send("10 0100 0001"), (std::vector<BusPulse>{{1, 0, 0x41}}));
    EXPECT_EQ(dialog.texts[714], "10 0100 0010");
    EXPECT_EQ(send("01 0000 0000"), (std::vector<BusPulse>{{0, 1, 0x00}}));
    EXPECT_EQ(send("00 1111 1111"), (std::vector<BusPulse>{{0, 0, 0xFF}}));
    EXPECT_EQ(dialog.texts[714], "01 0000 0000");
    send("11 1111 1111");
    EXPECT_EQ(dialog.texts[714], "00 0000 0000");
    EXPECT_EQ(send(""), (std::vector<BusPulse>{{0, 0, 0x00}}));
    EXPECT_EQ(dialog.reads.back(), (std::pair<int, int>{714, 14}));
    EXPECT_TRUE(notices.shown.empty());
}

TEST_F(DialogHandlers, SendSequenceWithBadTextSendsAndCountsNothing) {
    open_port_from_dialog();
    dialog.checked.insert(715);
    dialog.texts[714] = "10 0100 00a1";
    click(716);
    EXPECT_EQ(trace, Trace{notice("Nur '1', '0' und Leerzeichen!")});
    EXPECT_EQ(dialog.texts[714], "10 0100 00a1");
}

TEST_F(DialogHandlers, HelpOpensThePageAndExitEndsTheDialog) {
    EXPECT_FALSE(click(9998));
    EXPECT_EQ(dialog.documents, std::vector<std::string>{"HELP/overview.htm"});
    EXPECT_TRUE(dialog.end_results.empty());
    EXPECT_TRUE(click(9999));
    EXPECT_EQ(dialog.end_results, std::vector<int>{9999});
    EXPECT_FALSE(click(1)); // Enter and Escape have no handler
    EXPECT_FALSE(click(2));
    EXPECT_EQ(dialog.end_results.size(), 1u);
}

TEST_F(DialogHandlers, ProgramEndClosesTheOpenPortAndReportsAnOddResult) {
    open_port_from_dialog();
    app::check_dialog_result(9999);
    EXPECT_TRUE(notices.shown.empty());
    app::end_program();
    EXPECT_EQ(trace, (Trace{dr(0), inport(0x37A), cr(0x0B), "CLOSECOM", "RELEASE"}));

    trace.clear();
    app::check_dialog_result(-1);
    app::end_program();
    ASSERT_EQ(notices.shown.size(), 1u);
    EXPECT_EQ(notices.shown[0].text, "Program-Error (ID: Dialog)");
    EXPECT_EQ(notices.shown[0].caption, "Lumivex");
    EXPECT_EQ(notices.shown[0].kind, app::NoticeKind::information);
    EXPECT_EQ(notices.shown[0].owner, app::NoticeOwner::main_window);
    EXPECT_EQ(trace, Trace{notice("Program-Error (ID: Dialog)")});
}

} // namespace
