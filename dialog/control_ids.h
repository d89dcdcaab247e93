#pragma once

namespace lumivex::dialog {

// The dialog's resource id.
constexpr int control_dialog_id = 102;

// Control identifiers of the dialog template.
enum ControlId : int {
    port_settings_group = 1200,
    lpt1_radio = 201,
    lpt2_radio = 202,
    open_port_button = 203,
    close_port_button = 204,
    led_test_button = 1405,

    // The register summary: one group, four lines of text.
    port_description_group = 1300,
    data_register_text = 1301,
    status_register_text = 1302,
    control_register_text = 1303,
    control_register_text_end = 1304,

    display_commands_group = 1700,

    bus_width_check = 701, // checked: 8-bit bus
    init_button = 702,
    display_on_button = 703,
    demo_button = 704,
    operand_label = 1702,
    operand_field = 705, // "data-/address-byte"
    command_list = 706,  // the HD44780 command combo box
    read_back_label = 1703,
    read_back_field = 707, // "read data/addr.:", read-only
    auto_increment_address_check = 708,
    repeat_command_button = 709,
    clear_display_button = 710,
    return_home_button = 711,
    cursor_left_button = 771,
    cursor_right_button = 772,
    first_line_button = 773,
    second_line_button = 774,
    move_cursor_label = 1704,

    // How the display is wired, as the dialog summarises it.
    hardware_label = 1706,
    hardware_reading_text = 1707,
    hardware_clock_text = 1708,
    hardware_writing_text = 1709,
    hardware_four_bit_text = 1710,

    manual_commanding_group = 1777,
    sequence_field = 714, // RS, R/W and eight data bits
    auto_increment_sequence_check = 715,
    send_sequence_button = 716,

    version_text = 9900,
    banner_text = 9902,
    help_button = 9998,
    exit_button = 9999,
};

// How many characters the handlers read of the two binary fields: a little more than
// "0000 0000" and "00 0000 0000", so that a longer entry is seen and refused.
constexpr int operand_field_limit = 11;
constexpr int sequence_field_limit = 14;

// The result with which the Exit button ends the dialog.
constexpr int exit_result = exit_button;

} // namespace lumivex::dialog
