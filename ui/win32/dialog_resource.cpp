#include "ui/win32/dialog_resource.h"

namespace lumivex::win32 {

namespace {

using dialog::ControlKind;

// A resource script string: quotes are doubled, backslashes escaped.
std::string quoted(std::string_view text) {
    std::string result = "\"";
    for (const char c : text) {
        if (c == '"')
            result += '"';
        else if (c == '\\')
            result += '\\';
        result += c;
    }
    return result + '"';
}

const char* window_class(ControlKind kind) {
    switch (kind) {
    case ControlKind::group_box:
    case ControlKind::radio_button:
    case ControlKind::push_button:
    case ControlKind::check_box:
        return "Button";
    case ControlKind::static_text:
        return "Static";
    case ControlKind::edit:
        return "Edit";
    case ControlKind::combo:
        return "ComboBox";
    }
    return "Static";
}

const char* alignment(unsigned style, const char* left, const char* centre, const char* right) {
    if (style & dialog::align_centre)
        return centre;
    if (style & dialog::align_right)
        return right;
    return left;
}

// The styles that make the kind; BS_LEFT keeps the labels of boxes and buttons left-aligned
// with the box itself on the left.
std::string kind_styles(const dialog::ControlTemplate& control) {
    switch (control.kind) {
    case ControlKind::group_box:
        return "BS_GROUPBOX | BS_LEFT";
    case ControlKind::radio_button:
        return "BS_AUTORADIOBUTTON | BS_LEFT";
    case ControlKind::check_box:
        return "BS_AUTOCHECKBOX | BS_LEFT";
    case ControlKind::push_button:
        return control.style & dialog::multi_line ? "BS_PUSHBUTTON | BS_MULTILINE"
                                                  : "BS_PUSHBUTTON";
    case ControlKind::static_text:
        return alignment(control.style, "SS_LEFT", "SS_CENTER", "SS_RIGHT");
    case ControlKind::edit:
        return alignment(control.style, "ES_LEFT", "ES_CENTER", "ES_RIGHT");
    case ControlKind::combo:
        return "CBS_DROPDOWN | WS_VSCROLL";
    }
    return "";
}

} // namespace

std::string control_styles(const dialog::ControlTemplate& control) {
    std::string styles = kind_styles(control);
    if (control.style & dialog::auto_scroll)
        styles += control.kind == ControlKind::combo ? " | CBS_AUTOHSCROLL" : " | ES_AUTOHSCROLL";
    if (control.style & dialog::read_only)
        styles += " | ES_READONLY";
    if (control.style & dialog::border)
        styles += " | WS_BORDER";
    if (control.style & dialog::group_start)
        styles += " | WS_GROUP";
    if (control.style & dialog::tab_stop)
        styles += " | WS_TABSTOP";
    return styles + " | WS_CHILD | WS_VISIBLE";
}

void write_dialog_resource(std::ostream& script, const dialog::DialogTemplate& dialog) {
    script << "// Made from the dialog template table by write_dialog_resource; not to be edited.\n"
           << dialog.resource_id << " DIALOGEX " << dialog.x << ", " << dialog.y << ", "
           << dialog.width << ", " << dialog.height << "\n"
           << "STYLE WS_POPUP | WS_CAPTION | DS_MODALFRAME | DS_SETFONT\n"
           << "CAPTION " << quoted(dialog.caption)
           << "\n"
           // Normal weight, not italic, character set 1 (the default one).
           << "FONT " << dialog.font_points << ", " << quoted(dialog.font_name) << ", 400, 0, 1\n"
           << "BEGIN\n";
    for (const dialog::ControlTemplate& control : dialog.controls)
        script << "    CONTROL " << quoted(control.text) << ", " << control.id << ", "
               << quoted(window_class(control.kind)) << ", " << control_styles(control) << ", "
               << control.x << ", " << control.y << ", " << control.width << ", " << control.height
               << "\n";
    script << "END\n";
}

} // namespace lumivex::win32
