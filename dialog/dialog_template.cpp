#include "dialog/dialog_template.h"

#include "dialog/control_ids.h"

#include <array>

namespace lumivex::dialog {

namespace {

using enum ControlKind;

constexpr unsigned edit_style = align_centre | auto_scroll | border;

constexpr std::array<ControlTemplate, 43> controls{{
    {port_settings_group, group_box, "Port Settings (base address BA)", 7, 10, 130, 57, 0},
    {lpt1_radio, radio_button, "LPT1 (h378)", 16, 23, 52, 10, group_start | tab_stop},
    {lpt2_radio, radio_button, "LPT2 (h278)", 16, 34, 53, 10, 0},
    {open_port_button, push_button, "&Open Port", 77, 19, 55, 13, group_start},
    {close_port_button, push_button, "&Close Port", 77, 34, 55, 13, 0},
    {led_test_button, push_button, "&LED-Test", 77, 50, 55, 13, 0},
    {port_description_group, group_box,
     "Port Description ( register-address and -bits, pin names )", 143, 10, 250, 57, 0},
    {data_register_text, static_text, "DR (BA) - OUT [ d7 : d0 ] - ( Data; INOUT in EPP-Mode )",
     150, 25, 234, 9, 0},
    {status_register_text, static_text,
     "SR (BA+1) - IN [ s7 : s3 ] - ( /Busy , ACK , PE , Select , Error )", 150, 34, 237, 9, 0},
    {control_register_text, static_text,
     "CR (BA+2) - (IN)OUT [ c5 ] + [ c3 : c0 ] - ( Dir-PS2 , /SLCT IN ,", 150, 43, 234, 9, 0},
    {control_register_text_end, static_text, " Init , /Auto Feed , /Strobe )", 155, 51, 187, 9,
     align_right},
    {display_commands_group, group_box, "HD44780-Display-Commands", 7, 76, 386, 105, 0},
    {bus_width_check, check_box, "8-/4-bit Bus", 13, 133, 50, 10, tab_stop},
    {init_button, push_button, "&Init. HD44", 15, 91, 30, 25, multi_line},
    {display_on_button, push_button, "&Display On", 45, 91, 30, 25, multi_line},
    {demo_button, push_button, "LCD- De&mo", 75, 91, 30, 25, multi_line},
    {operand_label, static_text, "data-/address-byte", 147, 96, 80, 11, 0},
    {operand_field, edit, "0000 0000", 147, 107, 70, 15, edit_style | tab_stop},
    {command_list, combo, "Choose HD44780-command... !", 95, 124, 122, 160, auto_scroll | tab_stop},
    {read_back_label, static_text, "read data/addr.:", 81, 142, 63, 10, align_right},
    {read_back_field, edit, "0000 0000", 147, 139, 70, 15, edit_style | read_only},
    {auto_increment_address_check, check_box, "auto-inc. addr.", 221, 160, 60, 10, tab_stop},
    {repeat_command_button, push_button, "Repea&t Command", 147, 155, 70, 15, tab_stop},
    {clear_display_button, push_button, "Clear Displa&y", 233, 91, 47, 15, tab_stop},
    {return_home_button, push_button, "Return &Home", 233, 107, 47, 15, tab_stop},
    {cursor_left_button, push_button, "&<", 233, 124, 11, 20, tab_stop},
    {cursor_right_button, push_button, "&>", 245, 124, 11, 20, tab_stop},
    {first_line_button, push_button, "up&+", 258, 124, 22, 10, tab_stop},
    {second_line_button, push_button, "dn&-", 258, 134, 22, 10, tab_stop},
    {move_cursor_label, static_text, "move cursor", 233, 145, 47, 11, align_centre},
    {manual_commanding_group, group_box, "manual commanding", 297, 96, 96, 66, 0},
    {sequence_field, edit, "00 0000 0000", 305, 107, 80, 15, edit_style | tab_stop},
    {auto_increment_sequence_check, check_box, "auto-inc. bit [7:0]", 305, 126, 80, 10, tab_stop},
    {send_sequence_button, push_button, "Send Se&quence [9:0]", 305, 139, 80, 15, tab_stop},
    {hardware_label, static_text, "Hardware:", 13, 124, 46, 9, 0},
    {hardware_reading_text, static_text, "SR [6:3] for reading", 13, 143, 74, 8, 0},
    {hardware_clock_text, static_text, "CR [2] ('Init') as CLK", 13, 151, 74, 9, 0},
    {hardware_writing_text, static_text, "CR [1:0] + DR [7:0] for writing /", 13, 159, 122, 12, 0},
    {hardware_four_bit_text, static_text, "CR [1:0] + DR [7:4] in 4-bit-mode", 22, 168, 122, 11, 0},
    {version_text, static_text, "Version: c1.0.1", 10, 183, 117, 10, 0},
    {banner_text, static_text, "www.lumivex.test", 320, 183, 71, 9, align_right},
    {help_button, push_button, "Hel&p", 355, 32, 35, 15, 0},
    {exit_button, push_button, "  E&xit Program >>", 335, 16, 55, 15, 0},
}};

constexpr DialogTemplate dialog{
    control_dialog_id, "Lumivex", 10, 20, 400, 193, "Helv", 8, controls,
};

} // namespace

const DialogTemplate& control_dialog() {
    return dialog;
}

} // namespace lumivex::dialog
