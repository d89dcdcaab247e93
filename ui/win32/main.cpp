// The program's entry: a hidden main window whose creation runs the control dialog; when the
// dialog ends, the window destroys itself, the port is closed and the process ends.
#include "app/notice.h"
#include "app/port_choice.h"
#include "app/program.h"
#include "app/run_folder.h"
#include "dialog/dialog_template.h"
#include "port/port_module.h"
#include "resources/resource_ids.h"
#include "ui/win32/ansi_text.h"
#include "ui/win32/dialog_procedure.h"
#include "ui/win32/event_pump.h"
#include "ui/win32/message_box_notices.h"

#include <cstdio>
#include <shellapi.h>
#include <windows.h>

namespace {

using namespace lumivex;

HINSTANCE instance;
win32::MessageBoxNotices notices(win32::control_dialog_view());

LRESULT CALLBACK main_window_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_CREATE: {
        // The dialog runs modally here, inside the main window's WM_CREATE, for the program's life.
        const auto result = static_cast<int>(
            DialogBoxParamA(instance, MAKEINTRESOURCEA(dialog::control_dialog().resource_id),
                            window, win32::control_dialog_procedure, 0));
        notices.set_main_window(window);
        app::check_dialog_result(result);
        DestroyWindow(window);
        return 0;
    }
    case WM_ENDSESSION:
        // Log-off or shutdown: the process may end as soon as this returns, so the port is
        // closed here, as at the program's end, once the running wait, if any, is over.
        if (wparam != FALSE) {
            win32::finish_running_wait();
            app::end_program();
            ExitProcess(0);
        }
        return 0;
    case WM_DESTROY:
        app::end_program();
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

// The folder lumivex.exe lies in, from its module file name.
std::string program_folder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
            return {};
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    return win32::from_utf16(path.substr(0, path.find_last_of(L'\\')));
}

// The arguments after the program's name, as UTF-8.
std::vector<std::string> command_line_arguments() {
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> utf8;
    for (int i = 1; i < count; ++i)
        utf8.push_back(win32::from_utf16(arguments[i]));
    LocalFree(arguments);
    return utf8;
}

// A program without a console shows the help and the reason it stops in a message box; both
// also go to standard output or error for a caller that reads them. The exit code.
int report_start_choice(const app::StartChoice& choice) {
    const bool stop = choice.action == app::StartAction::stop;
    std::FILE* stream = stop ? stderr : stdout;
    std::fputs((choice.text + "\n").c_str(), stream);
    std::fflush(stream);
    if (choice.action != app::StartAction::print_chosen_port)
        MessageBoxW(nullptr, win32::to_utf16(choice.text).c_str(), L"Lumivex",
                    stop ? MB_ICONERROR : MB_ICONINFORMATION);
    return stop ? 2 : 0;
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
    const std::string folder = program_folder();
    app::set_program_folder(folder);
    // A program unpacked from a zip keeps its settings beside itself.
    const app::StartChoice choice =
        app::start_choice(command_line_arguments(), folder + "\\lumivex.ini");
    if (choice.action != app::StartAction::open_dialog)
        return report_start_choice(choice);
    port::set_wait_runner(win32::run_wait_answering);
    port::set_wait_hook(win32::pump_messages_between_waits);
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
