// The program's entry: a hidden main window whose creation runs the control dialog; when the
// dialog ends, the window destroys itself, the port is closed and the process ends.
#include "app/notice.h"
#include "app/program.h"
#include "dialog/dialog_template.h"
#include "resources/resource_ids.h"
#include "ui/win32/dialog_procedure.h"
#include "ui/win32/message_box_notices.h"

#include <windows.h>

namespace {

using namespace lumivex;

HINSTANCE instance;
win32::MessageBoxNotices notices(win32::control_dialog_view());

LRESULT CALLBACK main_window_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_CREATE:
        app::check_dialog_result(static_cast<int>(
            DialogBoxParamA(instance, MAKEINTRESOURCEA(dialog::control_dialog().resource_id),
                            window, win32::control_dialog_procedure, 0)));
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        app::end_program();
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

bool register_window_class() {
    WNDCLASSEXA window_class{};
    window_class.cbSize = sizeof window_class;
    window_class.style = CS_HREDRAW | CS_VREDRAW;
    window_class.lpfnWndProc = main_window_procedure;
    window_class.hInstance = instance;
    window_class.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(LUMIVEX_LARGE_ICON));
    window_class.hIconSm = static_cast<HICON>(
        LoadImageA(instance, MAKEINTRESOURCEA(LUMIVEX_SMALL_ICON), IMAGE_ICON,
                   GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
    window_class.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    window_class.lpszClassName = "Lumivex";
    return RegisterClassExA(&window_class) != 0;
}

} // namespace

int WINAPI WinMain(HINSTANCE this_instance, HINSTANCE, LPSTR, int show_command) {
    instance = this_instance;
    app::set_notice_sink(&notices);
    if (!register_window_class())
        return 0;
    // The window destroys itself inside its own creation, once the dialog has ended, so it is
    // never seen and creation usually reports no window.
    const HWND main_window =
        CreateWindowExA(0, "Lumivex", "Lumivex-Commands", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, 0,
                        100, 1000, nullptr, nullptr, instance, nullptr);
    if (main_window == nullptr)
        return 0;
    ShowWindow(main_window, show_command);
    UpdateWindow(main_window);
    MSG message{};
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}
