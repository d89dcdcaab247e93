// The Windows resource script made from the dialog template.
#include "ui/win32/dialog_resource.h"

#include <gtest/gtest.h>
#include <sstream>

using namespace lumivex;

namespace {

std::vector<std::string> script_lines(const dialog::DialogTemplate& dialog) {
    std::ostringstream script;
    win32::write_dialog_resource(script, dialog);
    std::istringstream lines(script.str());
    std::vector<std::string> result;
    for (std::string line; std::getline(lines, line);)
        result.push_back(line);
    return result;
}

std::string control_line(int id) {
    const std::string marker = ", " + std::to_string(id) + ", \"";
    for (const std::string& line : script_lines(dialog::control_dialog()))
        if (line.starts_with("    CONTROL ") && line.find(marker) != std::string::npos)
            return line;
    return {};
}

TEST(DialogResource, DialogHeaderFollowsTheTemplate) {
    const auto lines = script_lines(dialog::control_dialog());
    ASSERT_EQ(lines.size(), 1u + 4u + 1u + 43u + 1u);
    EXPECT_EQ(lines[1], "102 DIALOGEX 10, 20, 400, 193");
    EXPECT_EQ(lines[2], "STYLE WS_POPUP | WS_CAPTION | DS_MODALFRAME | DS_SETFONT");
    EXPECT_EQ(lines[3], "CAPTION \"Lumivex\"");
    EXPECT_EQ(lines[4], "FONT 8, \"Helv\", 400, 0, 1");
    EXPECT_EQ(lines[5], "BEGIN");
    EXPECT_EQ(lines.back(), "END");
}

TEST(DialogResource, ControlsComeInTemplateOrder) {
    const auto lines = script_lines(dialog::control_dialog());
    const auto controls = dialog::control_dialog().controls;
    for (std::size_t i = 0; i < controls.size(); ++i)
        EXPECT_NE(lines[6 + i].find(", " + std::to_string(controls[i].id) + ", \""),
                  std::string::npos)
            << lines[6 + i];
}

TEST(DialogResource, EachKindGetsItsWindowsStyles) {
    EXPECT_EQ(control_line(1200),
              "    CONTROL \"Port Settings (base address BA)\", 1200, \"Button\", BS_GROUPBOX | "
              "BS_LEFT | WS_CHILD | WS_VISIBLE, 7, 10, 130, 57");
    EXPECT_EQ(control_line(201),
              "    CONTROL \"LPT1 (h378)\", 201, \"Button\", BS_AUTORADIOBUTTON | BS_LEFT | "
              "WS_GROUP | WS_TABSTOP | WS_CHILD | WS_VISIBLE, 16, 23, 52, 10");
    EXPECT_EQ(control_line(203), "    CONTROL \"&Open Port\", 203, \"Button\", BS_PUSHBUTTON | "
                                 "WS_GROUP | WS_CHILD | WS_VISIBLE, 77, 19, 55, 13");
    EXPECT_EQ(control_line(702), "    CONTROL \"&Init. HD44\", 702, \"Button\", BS_PUSHBUTTON | "
                                 "BS_MULTILINE | WS_CHILD | WS_VISIBLE, 15, 91, 30, 25");
    EXPECT_EQ(control_line(701), "    CONTROL \"8-/4-bit Bus\", 701, \"Button\", BS_AUTOCHECKBOX | "
                                 "BS_LEFT | WS_TABSTOP | WS_CHILD | WS_VISIBLE, 13, 133, 50, 10");
    EXPECT_EQ(control_line(1304),
              "    CONTROL \" Init , /Auto Feed , /Strobe )\", 1304, \"Static\", "
              "SS_RIGHT | WS_CHILD | WS_VISIBLE, 155, 51, 187, 9");
    EXPECT_EQ(control_line(1704), "    CONTROL \"move cursor\", 1704, \"Static\", SS_CENTER | "
                                  "WS_CHILD | WS_VISIBLE, 233, 145, 47, 11");
    EXPECT_EQ(control_line(1702), "    CONTROL \"data-/address-byte\", 1702, \"Static\", SS_LEFT | "
                                  "WS_CHILD | WS_VISIBLE, 147, 96, 80, 11");
    EXPECT_EQ(control_line(705),
              "    CONTROL \"0000 0000\", 705, \"Edit\", ES_CENTER | ES_AUTOHSCROLL | WS_BORDER | "
              "WS_TABSTOP | WS_CHILD | WS_VISIBLE, 147, 107, 70, 15");
    EXPECT_EQ(
        control_line(707),
        "    CONTROL \"0000 0000\", 707, \"Edit\", ES_CENTER | ES_AUTOHSCROLL | ES_READONLY | "
        "WS_BORDER | WS_CHILD | WS_VISIBLE, 147, 139, 70, 15");
    EXPECT_EQ(control_line(706), "    CONTROL \"Choose HD44780-command... !\", 706, \"ComboBox\", "
                                 "CBS_DROPDOWN | WS_VSCROLL | CBS_AUTOHSCROLL | WS_TABSTOP | "
                                 "WS_CHILD | WS_VISIBLE, 95, 124, 122, 160");
}

TEST(DialogResource, QuotesAndBackslashesAreEscaped) {
    const dialog::ControlTemplate control{
        7, dialog::ControlKind::static_text, "say \"a\\b\"", 1, 2, 3, 4, 0};
    const dialog::DialogTemplate dialog{5, "it's \"x\"", 0, 0, 10, 10, "Helv", 8, {&control, 1}};
    const auto lines = script_lines(dialog);
    EXPECT_EQ(lines[3], "CAPTION \"it's \"\"x\"\"\"");
    EXPECT_EQ(
        lines[6],
        "    CONTROL \"say \"\"a\\\\b\"\"\", 7, \"Static\", SS_LEFT | WS_CHILD | WS_VISIBLE, 1, "
        "2, 3, 4");
}

} // namespace
