#pragma once

#include "dialog/dialog_view.h"

#include <span>
#include <string_view>

namespace lumivex::text {

// Adds the texts to the combo box in order, then shows the cue text in its edit field.
void fill_command_list(dialog::DialogView& dialog, int combo_id,
                       std::span<const std::string_view> texts);

} // namespace lumivex::text
