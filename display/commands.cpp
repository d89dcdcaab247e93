#include "display/commands.h"

#include "app/shared_state.h"
#include "dialog/control_ids.h"
#include "dialog/dialog_view.h"
#include "display/bus_cycles.h"
#include "display/hd44780_instructions.h"
#include "text/binary_text.h"

#include <array>
#include <string>

namespace lumivex::display {

namespace {

enum class Action { none, write_data, write_instruction, read_busy_flag_and_address, read_data };

struct Command {
    std::string_view text;
    Action action;
    int instruction = 0; // the instruction's own bits
    int operand_mask = 0;
};

constexpr std::string_view separator = "--------------------------";

// The function set keeps four operand bits only, so its DL bit always goes out as 0.
constexpr std::array<Command, 11> commands{{
    {"Write data to CG or DDRAM", Action::write_data, 0, 0xFF},
    {separator, Action::none},
    {"Set CGRAM address", Action::write_instruction, hd44780::set_cgram_address, 0x3F},
    {"Set DDRAM address", Action::write_instruction, hd44780::set_ddram_address, 0x7F},
    {"Read busy flag & address", Action::read_busy_flag_and_address},
    {"Read data from CG or DDRAM", Action::read_data},
    {separator, Action::none},
    {"Entry mode set", Action::write_instruction, hd44780::entry_mode_set, 0x03},
    {"Display on/off control", Action::write_instruction, hd44780::display_control, 0x07},
    {"Cursor or display shift", Action::write_instruction, hd44780::cursor_or_display_shift, 0x0F},
    {"Function set", Action::write_instruction, hd44780::function_set, 0x0F},
}};

constexpr auto texts = [] {
    std::array<std::string_view, commands.size()> result{};
    for (std::size_t i = 0; i < commands.size(); ++i)
        result[i] = commands[i].text;
    return result;
}();

void show_read_back(int value) {
    std::string text; // a failed read leaves the field empty
    text::format_binary_text(value, text);
    app::current_dialog->set_text(dialog::read_back_field, text);
}

} // namespace

std::span<const std::string_view> command_texts() {
    return texts;
}

void issue_selected_command(int index) {
    if (index == -1 || app::current_dialog == nullptr)
        return;
    // The operand is checked for every entry, also for those that do not use it; after a bad
    // text nothing is sent.
    const int operand = text::parse_binary_text(
        app::current_dialog->field_text(dialog::operand_field, dialog::operand_field_limit));
    if (operand < 0 || index < 0 || index >= static_cast<int>(commands.size()))
        return;
    const Command& command = commands[static_cast<std::size_t>(index)];
    switch (command.action) {
    case Action::none:
        break;
    case Action::write_data:
        write_cycle(write_data, operand & command.operand_mask);
        break;
    case Action::write_instruction:
        write_cycle(write_instruction, command.instruction | (operand & command.operand_mask));
        break;
    case Action::read_busy_flag_and_address:
        show_read_back(read_cycle(read_busy_flag_and_address));
        break;
    case Action::read_data:
        show_read_back(read_cycle(read_data));
        break;
    }
}

} // namespace lumivex::display
