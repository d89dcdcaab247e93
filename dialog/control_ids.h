#pragma once

namespace lumivex::dialog {

// Control identifiers of the dialog template.
enum ControlId : int {
    operand_field = 705,   // "data-/address-byte"
    command_list = 706,    // the HD44780 command combo box
    read_back_field = 707, // "read data/addr.:", read-only
};

} // namespace lumivex::dialog
