#pragma once

#include <span>
#include <string_view>

namespace lumivex::dialog {

// Standard controls. Radio buttons and check boxes check themselves when clicked; radio
// buttons, check boxes and group boxes show their label left-aligned.
enum class ControlKind {
    group_box,
    radio_button,
    push_button,
    check_box,
    static_text,
    edit,
    combo
};

// Style bits of a control, as the dialog template states them.
enum ControlStyle : unsigned {
    group_start = 1u << 0,  // first control of a group (arrow keys move within a group)
    tab_stop = 1u << 1,     // reached with the Tab key
    align_right = 1u << 2,  // static text
    align_centre = 1u << 3, // static text and edit fields
    multi_line = 1u << 4,   // push button label wrapped on word boundaries
    read_only = 1u << 5,    // edit field
    auto_scroll = 1u << 6,  // edit field or combo edit field scrolls with the caret
    border = 1u << 7,       // edit field
};

// Position and size in dialog units: a quarter of the dialog font's average character width
// horizontally, an eighth of its height vertically.
struct ControlTemplate {
    int id;
    ControlKind kind;
    std::string_view text;
    int x;
    int y;
    int width;
    int height; // for the combo box: the edit field and its dropped-down list together
    unsigned style;
};

struct DialogTemplate {
    int resource_id;
    std::string_view caption;
    int x;
    int y;
    int width;
    int height;
    std::string_view font_name;
    int font_points;
    std::span<const ControlTemplate> controls; // in tab order
};

const DialogTemplate& control_dialog();

} // namespace lumivex::dialog
