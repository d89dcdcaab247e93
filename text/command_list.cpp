#include "text/command_list.h"

namespace lumivex::text {

void fill_command_list(dialog::DialogView& dialog, int combo_id,
                       std::span<const std::string_view> texts) {
    for (const std::string_view text : texts)
        dialog.add_list_entry(combo_id, text);
    dialog.set_text(combo_id, " Choose HD44780-command... !");
}

} // namespace lumivex::text
