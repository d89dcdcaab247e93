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
    // Whether a check box or radio button is checked.
    virtual bool is_checked(int control_id) = 0;
    // Checks a radio button (and unchecks the others of its group).
    virtual void check(int control_id) = 0;
    // Gives a push button its pressed look, or takes it away.
    virtual void set_highlight(int control_id, bool on) = 0;
    // Appends an entry to a combo box's list.
    virtual void add_list_entry(int control_id, std::string_view text) = 0;
    // The combo box's selected list index, -1 when none is selected.
    virtual int current_selection(int control_id) = 0;
    virtual void open_list(int control_id) = 0;
    // Limits how many characters the user can type into an edit field.
    virtual void limit_text(int control_id, int max_chars) = 0;
    // Selects the field's whole text once the event that focused it has been handled.
    virtual void select_all_later(int control_id) = 0;
    // Opens a document (a path relative to the current directory) with its default program.
    virtual void open_document(std::string_view path) = 0;
    // Ends the modal dialog with this result.
    virtual void end_dialog(int result) = 0;
};

} // namespace lumivex::dialog
