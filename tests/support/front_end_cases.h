#pragma once

// What both front ends must make of the same dialog, as the Qt test and the Windows driver
// under Wine check it: controls reaching their handlers, and the notices. Plain data.
#include "app/notice.h"
#include "dialog/control_ids.h"
#include "port/lpt_wiring.h"
#include "support/trace.h"

#include <string>
#include <vector>

namespace front_end {

using namespace lumivex::dialog;
using lumivex::app::NoticeKind;
using lumivex::app::NoticeOwner;

// What the port library sees of a port opened and closed, without the loading, joined.
inline std::string opened(const std::string& device, int base) {
    const int control = base + lumivex::lpt::control_register;
    return joined(
        {"OPENCOM " + device, outport(base, 0), outport(control, lumivex::lpt::control_idle)});
}
inline std::string closed(int base) {
    const int control = base + lumivex::lpt::control_register;
    return joined({outport(base, 0), inport(control), outport(control, lumivex::lpt::control_idle),
                   "CLOSECOM"});
}

// A byte on the 4-bit bus: high nibble, then low nibble.
inline std::vector<BusPulse> on_four_bits(int rs, int byte) {
    return {{rs, 0, byte & 0xF0}, {rs, 0, byte << 4 & 0xF0}};
}

// The list entry "Set DDRAM address", chosen before the cases below run.
constexpr int ddram_address_entry = 3;

// A click on a button (or its Alt key) with LPT1 open on the 4-bit bus, after a field is
// filled in, and the byte it sends.
struct ClickCase {
    int button;
    char mnemonic;
    int field; // 0: none
    const char* text;
    int rs, byte;
};
inline const ClickCase click_cases[] = {
    {display_on_button, 'd', 0, "", 0, 0x0F},
    {clear_display_button, 'y', 0, "", 0, 0x01},
    {return_home_button, 'h', 0, "", 0, 0x03},
    {cursor_left_button, '<', 0, "", 0, 0x10},
    {cursor_right_button, '>', 0, "", 0, 0x14},
    {first_line_button, '+', 0, "", 0, 0x80},
    {second_line_button, '-', 0, "", 0, 0xC0},
    {repeat_command_button, 't', operand_field, "0000 0101", 0, 0x85},
    {send_sequence_button, 'q', sequence_field, "10 0100 0001", 1, 0x41},
};
// Closing the list issues the chosen entry with the operand field's byte.
constexpr const char* list_operand = "0100 0001";
constexpr int list_byte = 0xC1;

// A notice and what brings it up: a field filled in, up to two clicks, then the click. Nothing
// reaches the port library meanwhile; a question is answered No. In this order, in one run.
struct NoticeCase {
    const char *text, *caption;
    NoticeKind kind;
    NoticeOwner owner;
    int clicked;
    int field = 0; // 0: none
    const char* field_text = "";
    int first_click = 0, second_click = 0; // 0: none
};
inline const NoticeCase notice_cases[] = {
    {"Port war gar nicht geöffnet", "Lumivex_Dilaog-Modul", NoticeKind::information,
     NoticeOwner::dialog, close_port_button},
    {"port not available", "Orvo_LPTio_HD44780-Modul", NoticeKind::plain, NoticeOwner::main_window,
     display_on_button},
    {"Nur '1', '0' und Leerzeichen!", "Modul Orvo_commonTools", NoticeKind::information,
     NoticeOwner::main_window, send_sequence_button, sequence_field, "10 0100 00a1"},
    {"8-bit-Bus?", "Orvo_LPTio_HD44780-Modul", NoticeKind::question, NoticeOwner::main_window,
     init_button, 0, "", open_port_button, bus_width_check},
};
// Without a port library; the loader's reason follows on a line of its own.
inline const NoticeCase no_port_library{"Err1 - DLL-Error! - File not found!",
                                        "Orvo_LPT-Port-Modul", NoticeKind::error,
                                        NoticeOwner::main_window, open_port_button};
// LPT1 refused, and the reason the simulated port gives with LUMIVEX_SIM_PANEL=bögus.
inline const NoticeCase refused_port{"Err3 - Can't open LPT1!", "Orvo_LPT-Port-Modul",
                                     NoticeKind::error, NoticeOwner::main_window, open_port_button};
inline const std::string bogus_panel = "lumivex sim: LUMIVEX_SIM_PANEL \"bögus\": not a panel; "
                                       "accepted: 8x1, 16x1, 16x2, 16x4, 20x2, 20x4, 24x2, 40x2";

} // namespace front_end
