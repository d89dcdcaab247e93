#pragma once

#include <span>
#include <string_view>

namespace lumivex::display {

// The command list's entries, in list order: nine HD44780 commands and two separator rows.
std::span<const std::string_view> command_texts();

// Sends the command at this list index with the operand typed into the operand field; the two
// read commands show what they read in the read-back field. -1 (nothing selected) does nothing.
void issue_selected_command(int index);

} // namespace lumivex::display
