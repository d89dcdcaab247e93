#include "dialog/handlers.h"

#include "app/notice.h"
#include "app/run_folder.h"
#include "app/shared_state.h"
#include "dialog/control_ids.h"
#include "dialog/dialog_template.h"
#include "display/bus_cycles.h"
#include "display/commands.h"
#include "display/demo.h"
#include "display/hd44780_instructions.h"
#include "display/initialisation.h"
#include "port/lpt_wiring.h"
#include "port/port_module.h"
#include "text/binary_text.h"
#include "text/command_list.h"

#include <algorithm>
#include <array>
#include <string>

namespace lumivex::dialog {

namespace {

// The label a control has in the template.
std::string_view template_text(int control_id) {
    const auto controls = control_dialog().controls;
    return std::find_if(controls.begin(), controls.end(),
                        [control_id](const ControlTemplate& c) { return c.id == control_id; })
        ->text;
}

// Shows "busy..." on the button while the action runs.
template <typename Action> void while_busy(DialogView& view, int button, Action action) {
    view.set_text(button, "busy...");
    action();
    view.set_text(button, template_text(button));
}

void open_port(DialogView& view) {
    const int base = view.is_checked(lpt1_radio) ? lpt::lpt1_base_address : lpt::lpt2_base_address;
    app::current_base_address = base;
    const bool opened = port::open_port(base) == port::opened;
    if (!opened)
        app::current_base_address = 0;
    // The pressed look stays as the sign of an open port.
    view.set_highlight(open_port_button, opened);
}

void close_port(DialogView& view) {
    if (port::close_port(app::current_base_address) == 0)
        view.set_highlight(open_port_button, false);
    else
        app::show_notice(app::NoticeOwner::dialog, "Port war gar nicht geöffnet",
                         "Lumivex_Dilaog-Modul", app::NoticeKind::information);
    app::current_base_address = 0;
}

void initialise(DialogView& view) {
    while_busy(view, init_button, [&view] {
        // Read twice on purpose: unchecking the box while the 8-bit question is open adds a
        // 4-bit run.
        if (view.is_checked(bus_width_check))
            display::initialise_display(display::BusWidth::eight_bit);
        if (!view.is_checked(bus_width_check))
            display::initialise_display(display::BusWidth::four_bit);
    });
}

// Issues the selected command again; with auto-increment the operand then counts up (only
// its low eight bits are shown). After a bad operand nothing is sent or counted.
void repeat_command(DialogView& view) {
    const int operand =
        text::parse_binary_text(view.field_text(operand_field, operand_field_limit));
    if (operand < 0)
        return;
    display::issue_selected_command(view.current_selection(command_list));
    if (!view.is_checked(auto_increment_address_check))
        return;
    std::string next;
    text::format_binary_text(operand + 1, next);
    view.set_text(operand_field, next);
}

// Bits 9 and 8 are RS and R/W, bits 7..0 the byte. With auto-increment the whole ten-bit value
// counts up.
void send_sequence(DialogView& view) {
    const int sequence =
        text::parse_binary_text(view.field_text(sequence_field, sequence_field_limit));
    if (sequence < 0)
        return;
    display::write_cycle(sequence >> 8 & 3, sequence & 0xFF);
    if (!view.is_checked(auto_increment_sequence_check))
        return;
    constexpr std::array<std::string_view, 4> high_bits{"00 ", "01 ", "10 ", "11 "};
    std::string low_bits;
    const int high = text::format_binary_text(sequence + 1, low_bits);
    view.set_text(sequence_field,
                  std::string(high_bits[static_cast<std::size_t>(high)]) + low_bits);
}

// The buttons that send one fixed instruction.
struct InstructionButton {
    int id;
    int instruction;
};
constexpr std::array<InstructionButton, 7> instruction_buttons{{
    {display_on_button, display::hd44780::display_control | display::hd44780::display_on |
                            display::hd44780::cursor_on | display::hd44780::blink_on},
    {clear_display_button, display::hd44780::clear_display},
    {return_home_button, display::hd44780::return_home | 1}, // bit 0 is don't-care
    {cursor_left_button, display::hd44780::cursor_or_display_shift},
    {cursor_right_button,
     display::hd44780::cursor_or_display_shift | display::hd44780::shift_right},
    {first_line_button, display::hd44780::set_ddram_address},
    {second_line_button,
     display::hd44780::set_ddram_address | display::hd44780::second_line_address},
}};

} // namespace

void initialise_dialog(DialogView& view) {
    app::current_dialog = &view;
    text::fill_command_list(view, command_list, display::command_texts());
    view.check(lpt1_radio);
    view.limit_text(operand_field, operand_field_limit);
    view.limit_text(sequence_field, sequence_field_limit);
}

bool handle_command(DialogView& view, int control_id, Notification notification) {
    app::current_dialog = &view;
    switch (control_id) {
    case open_port_button:
        open_port(view);
        return false;
    case close_port_button:
        close_port(view);
        return false;
    case led_test_button:
        while_busy(view, led_test_button, [] { port::run_led_test(app::current_base_address); });
        return false;
    case help_button:
        view.open_document(app::find_in_run_folder("HELP/overview.htm"));
        return false;
    case exit_button:
        view.end_dialog(exit_result);
        return true;
    case init_button:
        initialise(view);
        return false;
    case demo_button:
        while_busy(view, demo_button, display::run_demo);
        return false;
    case operand_field:
    case sequence_field:
        if (notification == Notification::set_focus)
            view.select_all_later(control_id);
        return false;
    case command_list:
        if (notification == Notification::edit_change)
            view.open_list(command_list);
        else if (notification == Notification::close_up)
            display::issue_selected_command(view.current_selection(command_list));
        return false;
    case repeat_command_button:
        repeat_command(view);
        return false;
    case send_sequence_button:
        send_sequence(view);
        return false;
    }
    for (const InstructionButton& button : instruction_buttons)
        if (button.id == control_id)
            display::write_cycle(display::write_instruction, button.instruction);
    return false;
}

} // namespace lumivex::dialog
