#pragma once

#include "dialog/dialog_view.h"

#include <windows.h>

namespace lumivex::win32 {

// The control dialog made from resource 102, as the handlers see it: every call is one Win32
// call on the control with that id.
class Win32Dialog final : public dialog::DialogView {
public:
    void attach(HWND window) { window_ = window; }
    HWND window() const { return window_; }

    std::string field_text(int control_id, int max_chars) override;
    void set_text(int control_id, std::string_view text) override;
    bool is_checked(int control_id) override;
    void check(int control_id) override;
    void set_highlight(int control_id, bool on) override;
    void add_list_entry(int control_id, std::string_view text) override;
    int current_selection(int control_id) override;
    void open_list(int control_id) override;
    void limit_text(int control_id, int max_chars) override;
    void select_all_later(int control_id) override;
    void open_document(std::string_view path) override;
    void end_dialog(int result) override;

private:
    LRESULT send(int control_id, UINT message, WPARAM wparam, LPARAM lparam);

    HWND window_ = nullptr;
};

} // namespace lumivex::win32
