#pragma once

namespace lumivex::dialog {
class DialogView;
}

namespace lumivex::app {

// lpt1_base_address or lpt2_base_address (port/lpt_wiring.h) while a port is open or being opened,
// 0 otherwise. Written by the dialog; the display driver reads it afresh for every register access.
extern int current_base_address;

// The running dialog, through which the command dispatcher reads and writes its fields.
extern dialog::DialogView* current_dialog;

} // namespace lumivex::app
