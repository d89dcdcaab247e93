#pragma once

#include <string>
#include <string_view>

namespace lumivex::dialog {

// What the portable code needs of the dialog, in the dialog's own terms. Each front end maps
// every call to one toolkit call on the control with that id.
class DialogView {
public:
    virtual ~DialogView() = default;

    // The control's text, at most max_chars characters of it.
    virtual std::string field_text(int control_id, int max_chars) = 0;
    virtual void set_text(int control_id, std::string_view text) = 0;
    // Appends an entry to a combo box's list.
    virtual void add_list_entry(int control_id, std::string_view text) = 0;
};

} // namespace lumivex::dialog
