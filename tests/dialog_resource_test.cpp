// The Windows resource script made from a dialog template: what the writer adds to the table
// is the script's syntax, its escaping and the Windows names of kinds and styles.
#include "ui/win32/dialog_resource.h"

#include <gtest/gtest.h>
#include <sstream>

using namespace lumivex::dialog;

namespace {

TEST(DialogResource, WritesEscapedTextsAndTheWindowsNamesOfKindsAndStyles) {
    const ControlTemplate controls[] = {
        {7, ControlKind::static_text, "say \"a\\b\"", 1, 2, 3, 4, align_right},
        {8, ControlKind::push_button, "&Go", 5, 6, 7, 8, multi_line | group_start},
        {9, ControlKind::edit, "0", 1, 1, 1, 1, align_centre | auto_scroll | read_only | border},
        {10, ControlKind::combo, "", 1, 1, 1, 1, auto_scroll | tab_stop},
        {11, ControlKind::check_box, "c", 1, 1, 1, 1, 0}};
    const DialogTemplate dialog{5, "it's \"x\"", 10, 20, 30, 40, "Helv", 8, controls};
    std::ostringstream script;
    lumivex::win32::write_dialog_resource(script, dialog);
    EXPECT_EQ(script.str().substr(script.str().find('\n') + 1),
              "5 DIALOGEX 10, 20, 30, 40\n"
              "STYLE WS_POPUP | WS_CAPTION | DS_MODALFRAME | DS_SETFONT\n"
              "CAPTION \"it's \"\"x\"\"\"\n"
              "FONT 8, \"Helv\", 400, 0, 1\n"
              "BEGIN\n"
              "    CONTROL \"say \"\"a\\\\b\"\"\", 7, \"Static\", SS_RIGHT | WS_CHILD | "
              "WS_VISIBLE, 1, 2, 3, 4\n"
              "    CONTROL \"&Go\", 8, \"Button\", BS_PUSHBUTTON | BS_MULTILINE | WS_GROUP | "
              "WS_CHILD | WS_VISIBLE, 5, 6, 7, 8\n"
              "    CONTROL \"0\", 9, \"Edit\", ES_CENTER | ES_AUTOHSCROLL | ES_READONLY | "
              "WS_BORDER | WS_CHILD | WS_VISIBLE, 1, 1, 1, 1\n"
              "    CONTROL \"\", 10, \"ComboBox\", CBS_DROPDOWN | WS_VSCROLL | CBS_AUTOHSCROLL | "
              "WS_TABSTOP | WS_CHILD | WS_VISIBLE, 1, 1, 1, 1\n"
              "    CONTROL \"c\", 11, \"Button\", BS_AUTOCHECKBOX | BS_LEFT | WS_CHILD | "
              "WS_VISIBLE, 1, 1, 1, 1\n"
              "END\n");
}

} // namespace
