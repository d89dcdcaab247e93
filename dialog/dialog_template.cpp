#include "dialog/dialog_template.h"

#include <array>

namespace lumivex::dialog {

namespace {

using enum ControlKind;

constexpr unsigned edit_style = align_centre | auto_scroll | border;

constexpr std::array<ControlTemplate, 43> controls{{
    {1200, group_box, "Port Settings (base address BA)", 7, 10, 130, 57, 0},
    {201, radio_button, "LPT1 (h378)", 16, 23, 52, 10, group_start | tab_stop},
    {202, radio_button, "LPT2 (h278)", 16, 34, 53, 10, 0},
    {203, push_button, "&Open Port", 77, 19, 55, 13, group_start},
    {204, push_button, "&Close Port", 77, 34, 55, 13, 0},
    {1405, push_button, "&LED-Test", 77, 50, 55, 13, 0},
    {1300, group_box, "Port Description ( register-address and -bits, pin names )", 143, 10, 250,
     57, 0},
    {1301, static_text, "DR (BA) - OUT [ d7 : d0 ] - ( Data; INOUT in EPP-Mode )", 150, 25, 234, 9,
     0},
    {1302, static_text, "SR (BA+1) - IN [ s7 : s3 ] - ( /Busy , ACK , PE , Select , Error )", 150,
     34, 237, 9, 0},
    {1303, static_text, "CR (BA+2) - (IN)OUT [ c5 ] + [ c3 : c0 ] - ( Dir-PS2 , /SLCT IN ,", 150,
     43, 234, 9, 0},
    {1304, static_text, " Init , /Auto Feed , /Strobe )", 155, 51, 187, 9, align_right},
    {1700, group_box, "HD44780-Display-Commands", 7, 76, 386, 105, 0},
    {701, check_box, "8-/4-bit Bus", 13, 133, 50, 10, tab_stop},
    {702, push_button, "&Init. HD44", 15, 91, 30, 25, multi_line},
    {703, push_button, "&Display On", 45, 91, 30, 25, multi_line},
    {704, push_button, "LCD- De&mo", 75, 91, 30, 25, multi_line},
    {1702, static_text, "data-/address-byte", 147, 96, 80, 11, 0},
    {705, edit, "0000 0000", 147, 107, 70, 15, edit_style | tab_stop},
    {706, combo, "Choose HD44780-command... !", 95, 124, 122, 160, auto_scroll | tab_stop},
    {1703, static_text, "read data/addr.:", 81, 142, 63, 10, align_right},
    {707, edit, "0000 0000", 147, 139, 70, 15, edit_style | read_only},
    {708, check_box, "auto-inc. addr.", 221, 160, 60, 10, tab_stop},
    {709, push_button, "Repea&t Command", 147, 155, 70, 15, tab_stop},
    {710, push_button, "Clear Displa&y", 233, 91, 47, 15, tab_stop},
    {711, push_button, "Return &Home", 233, 107, 47, 15, tab_stop},
    {771, push_button, "&<", 233, 124, 11, 20, tab_stop},
    {772, push_button, "&>", 245, 124, 11, 20, tab_stop},
    {773, push_button, "up&+", 258, 124, 22, 10, tab_stop},
    {774, push_button, "dn&-", 258, 134, 22, 10, tab_stop},
    {1704, static_text, "move cursor", 233, 145, 47, 11, align_centre},
    {1777, group_box, "manual commanding", 297, 96, 96, 66, 0},
    {714, edit, "00 0000 0000", 305, 107, 80, 15, edit_style | tab_stop},
    {715, check_box, "auto-inc. bit [7:0]", 305, 126, 80, 10, tab_stop},
    {716, push_button, "Send Se&quence [9:0]", 305, 139, 80, 15, tab_stop},
    {1706, static_text, "Hardware:", 13, 124, 46, 9, 0},
    {1707, static_text, "SR [6:3] for reading", 13, 143, 74, 8, 0},
    {1708, static_text, "CR [2] ('Init') as CLK", 13, 151, 74, 9, 0},
    {1709, static_text, "CR [1:0] + DR [7:0] for writing /", 13, 159, 122, 12, 0},
    {1710, static_text, "CR [1:0] + DR [7:4] in 4-bit-mode", 22, 168, 122, 11, 0},
    {9900, static_text, "Version: c1.0.1", 10, 183, 117, 10, 0},
    {9902, static_text, "www.lumivex.test", 320, 183, 71, 9, align_right},
    {9998, push_button, "Hel&p", 355, 32, 35, 15, 0},
    {9999, push_button, "  E&xit Program >>", 335, 16, 55, 15, 0},
}};

constexpr DialogTemplate dialog{
    102, "Lumivex", 10, 20, 400, 193, "Helv", 8, controls,
};

} // namespace

const DialogTemplate& control_dialog() {
    return dialog;
}

} // namespace lumivex::dialog
