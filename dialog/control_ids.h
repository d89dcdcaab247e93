#pragma once

namespace lumivex::dialog {

// Control identifiers of the dialog template.
enum ControlId : int {
    lpt1_radio = 201,
    lpt2_radio = 202,
    open_port_button = 203,
    close_port_button = 204,
    led_test_button = 1405,

    bus_width_check = 701, // checked: 8-bit bus
    init_button = 702,
    display_on_button = 703,
    demo_button = 704,
    operand_field = 705,   // "data-/address-byte"
    command_list = 706,    // the HD44780 command combo box
    read_back_field = 707, // "read data/addr.:", read-only
    auto_increment_address_check = 708,
    repeat_command_button = 709,
    clear_display_button = 710,
    return_home_button = 711,
    cursor_left_button = 771,
    cursor_right_button = 772,
    first_line_button = 773,
    second_line_button = 774,

    sequence_field = 714, // RS, R/W and eight data bits
    auto_increment_sequence_check = 715,
    send_sequence_button = 716,

    help_button = 9998,
    exit_button = 9999,
};

// The result with which the Exit button ends the dialog.
constexpr int exit_result = exit_button;

} // namespace lumivex::dialog
