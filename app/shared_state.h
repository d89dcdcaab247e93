#pragma once

namespace lumivex::dialog {
class DialogView;
}

namespace lumivex::app {

constexpr int lpt1_base_address = 0x378;
constexpr int lpt2_base_address = 0x278;

// 0x378 or 0x278 while a port is open or being opened, 0 otherwise. Written by the dialog;
// the display driver reads it afresh for every register access.
extern int current_base_address;

// The running dialog, through which the command dispatcher reads and writes its fields.
extern dialog::DialogView* current_dialog;

} // namespace lumivex::app
