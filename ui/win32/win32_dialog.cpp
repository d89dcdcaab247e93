#include "ui/win32/win32_dialog.h"

#include "ui/win32/ansi_text.h"

#include <algorithm>
#include <shellapi.h>
#include <vector>

namespace lumivex::win32 {

LRESULT Win32Dialog::send(int control_id, UINT message, WPARAM wparam, LPARAM lparam) {
    return SendDlgItemMessageA(window_, control_id, message, wparam, lparam);
}

std::string Win32Dialog::field_text(int control_id, int max_chars) {
    // Room for max_chars characters and the terminating zero.
    std::vector<char> buffer(static_cast<std::size_t>(std::max(max_chars, 0)) + 1, '\0');
    const UINT length =
        GetDlgItemTextA(window_, control_id, buffer.data(), static_cast<int>(buffer.size()));
    return from_ansi({buffer.data(), length});
}

void Win32Dialog::set_text(int control_id, std::string_view text) {
    SetDlgItemTextA(window_, control_id, to_ansi(text).c_str());
}

bool Win32Dialog::is_checked(int control_id) {
    return IsDlgButtonChecked(window_, control_id) == BST_CHECKED;
}

// Unchecks the other radio buttons of the group, as a click on this one would.
void Win32Dialog::check(int control_id) {
    const HWND target = GetDlgItem(window_, control_id);
    if (target == nullptr)
        return;
    HWND member = target;
    do {
        if (SendMessageA(member, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON)
            SendMessageA(member, BM_SETCHECK, member == target ? BST_CHECKED : BST_UNCHECKED, 0);
        member = GetNextDlgGroupItem(window_, member, FALSE);
    } while (member != nullptr && member != target);
}

void Win32Dialog::set_highlight(int control_id, bool on) {
    send(control_id, BM_SETSTATE, on ? TRUE : FALSE, 0);
}

void Win32Dialog::add_list_entry(int control_id, std::string_view text) {
    const std::string entry = to_ansi(text);
    send(control_id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
}

int Win32Dialog::current_selection(int control_id) {
    return static_cast<int>(send(control_id, CB_GETCURSEL, 0, 0));
}

void Win32Dialog::open_list(int control_id) {
    send(control_id, CB_SHOWDROPDOWN, TRUE, 0);
}

void Win32Dialog::limit_text(int control_id, int max_chars) {
    send(control_id, EM_LIMITTEXT, static_cast<WPARAM>(std::max(max_chars, 0)), 0);
}

// Posted, so that it comes after the focus change that is being handled.
void Win32Dialog::select_all_later(int control_id) {
    PostMessageA(GetDlgItem(window_, control_id), EM_SETSEL, 0, -1);
}

// The shell's default verb; no owner, parameters or working directory; show command 0. The path in
// Windows' own separators, which every shell handler understands.
void Win32Dialog::open_document(std::string_view path) {
    std::string document = to_ansi(path);
    std::replace(document.begin(), document.end(), '/', '\\');
    ShellExecuteA(nullptr, nullptr, document.c_str(), nullptr, nullptr, 0);
}

void Win32Dialog::end_dialog(int result) {
    EndDialog(window_, result);
}

} // namespace lumivex::win32
