#include "ui/win32/dialog_procedure.h"

#include "dialog/handlers.h"

namespace lumivex::win32 {

namespace {

Win32Dialog view;
bool handling = false;

dialog::Notification notification_of(WORD code) {
    switch (code) {
    case BN_CLICKED:
        return dialog::Notification::clicked;
    case EN_SETFOCUS:
        return dialog::Notification::set_focus;
    case CBN_EDITCHANGE:
        return dialog::Notification::edit_change;
    case CBN_CLOSEUP:
        return dialog::Notification::close_up;
    }
    return dialog::Notification::other;
}

} // namespace

const Win32Dialog& control_dialog_view() {
    return view;
}

INT_PTR CALLBACK control_dialog_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    view.attach(window);
    switch (message) {
    case WM_INITDIALOG:
        dialog::initialise_dialog(view);
        return TRUE; // the system sets the initial focus
    case WM_COMMAND: {
        // A handler runs to its end before the next begins: a command that comes while one
        // runs (a click sent from elsewhere while the dialog answers between waits, or while a
        // notice is open) is queued behind it. Once the dialog has ended, none is handled.
        if (handling) {
            PostMessageA(window, WM_COMMAND, wparam, lparam);
            return FALSE;
        }
        handling = true;
        const bool ended =
            dialog::handle_command(view, LOWORD(wparam), notification_of(HIWORD(wparam)));
        handling = false;
        return ended ? TRUE : FALSE;
    }
    }
    return FALSE;
}

} // namespace lumivex::win32
