#pragma once

#include "dialog/dialog_view.h"

namespace lumivex::dialog {

// What a control reports. Push buttons only ever click, and their handlers act on whatever
// they report.
enum class Notification {
    clicked,
    set_focus,   // an edit field got the keyboard focus
    edit_change, // the user changed the combo box's edit text
    close_up,    // the combo box's list closed
    other,
};

// Fills the command list, checks LPT1 and limits the two binary fields.
void initialise_dialog(DialogView& view);

// Runs the control's handler. True when the dialog is being ended (Exit), false otherwise.
bool handle_command(DialogView& view, int control_id, Notification notification);

} // namespace lumivex::dialog
