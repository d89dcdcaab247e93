#include "remote_program.h"

#include <fstream>
#include <stdexcept>

namespace {

// Long enough for Wine to start a program on a busy machine; a hang fails well before
// CTest's own time limit.
constexpr DWORD answer_limit_ms = 15000;

std::runtime_error failure(const std::string& what) {
    return std::runtime_error(what + " (Windows error " + std::to_string(GetLastError()) + ")");
}

std::wstring class_name(HWND window) {
    wchar_t name[64] = L"";
    GetClassNameW(window, name, 64);
    return name;
}

// A visible dialog window (class "#32770") of the process, other than except.
struct DialogSearch {
    DWORD process_id;
    HWND except;
    HWND found = nullptr;
};

BOOL CALLBACK look_at_window(HWND window, LPARAM parameter) {
    auto& search = *reinterpret_cast<DialogSearch*>(parameter);
    DWORD process_id = 0;
    GetWindowThreadProcessId(window, &process_id);
    if (process_id != search.process_id || window == search.except || !IsWindowVisible(window) ||
        class_name(window) != L"#32770")
        return TRUE;
    search.found = window;
    return FALSE;
}

// A message box's text and icon, from its static controls.
BOOL CALLBACK look_at_notice_part(HWND child, LPARAM parameter) {
    auto& notice = *reinterpret_cast<SeenNotice*>(parameter);
    if (class_name(child) != L"Static" || !IsWindowVisible(child))
        return TRUE;
    if ((GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
        notice.has_icon = SendMessageW(child, STM_GETICON, 0, 0) != 0;
        return TRUE;
    }
    wchar_t text[512] = L"";
    SendMessageW(child, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text));
    if (text[0] != L'\0')
        notice.text = text;
    return TRUE;
}

LRESULT send_within_limit(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    DWORD_PTR result = 0;
    if (SendMessageTimeoutW(window, message, wparam, lparam, SMTO_NORMAL, answer_limit_ms,
                            &result) == 0)
        throw failure("message " + std::to_string(message) + " not handled in time");
    return static_cast<LRESULT>(result);
}

DWORD WINAPI click_from_elsewhere(void* button) {
    SendMessageW(static_cast<HWND>(button), BM_CLICK, 0, 0);
    return 0;
}

} // namespace

RemoteProgram::RemoteProgram(const wchar_t* started_in) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    wchar_t program[MAX_PATH] = L"";
    GetFullPathNameW(L"lumivex.exe", MAX_PATH, program, nullptr);
    std::wstring command_line = L"\"" + std::wstring(program) + L"\"";
    if (!CreateProcessW(nullptr, command_line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        started_in, &startup, &process_))
        throw failure("cannot start lumivex.exe");
    try {
        WaitForInputIdle(process_.hProcess, answer_limit_ms);
        dialog_ = wait_for_dialog_other_than(nullptr, "dialog");
    } catch (...) {
        end_process();
        throw;
    }
}

RemoteProgram::~RemoteProgram() {
    end_process();
}

void RemoteProgram::end_process() {
    if (!ended_within(0)) {
        TerminateProcess(process_.hProcess, 1);
        ended_within(answer_limit_ms);
    }
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
}

HWND RemoteProgram::control(int id) const {
    const HWND window = GetDlgItem(dialog_, id);
    if (window == nullptr)
        throw failure("the dialog has no control " + std::to_string(id));
    return window;
}

LRESULT RemoteProgram::send(int id, UINT message, WPARAM wparam, LPARAM lparam) const {
    return send_within_limit(control(id), message, wparam, lparam);
}

LRESULT RemoteProgram::send_to(HWND window, UINT message, WPARAM wparam, LPARAM lparam) const {
    return send_within_limit(window, message, wparam, lparam);
}

void RemoteProgram::post(int id, UINT message, WPARAM wparam, LPARAM lparam) const {
    if (!PostMessageW(control(id), message, wparam, lparam))
        throw failure("cannot post message " + std::to_string(message));
}

std::wstring RemoteProgram::text(int id) const {
    wchar_t text[512] = L"";
    send(id, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text));
    return text;
}

void RemoteProgram::set_text(int id, const std::wstring& text) const {
    send(id, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

// The click is sent from a thread of its own, so that the box its handler shows can be answered
// meanwhile. Should anything go wrong, the program is ended, which also ends the send.
SeenNotice RemoteProgram::click_answering(int id, int answer) {
    const HANDLE thread = CreateThread(nullptr, 0, click_from_elsewhere, control(id), 0, nullptr);
    if (thread == nullptr)
        throw failure("cannot start a thread");
    const SeenNotice notice = answer_notice(answer);
    const bool returned = WaitForSingleObject(thread, answer_limit_ms) == WAIT_OBJECT_0;
    CloseHandle(thread);
    if (!returned)
        throw std::runtime_error("the click's handler did not return after its message box");
    return notice;
}

SeenNotice RemoteProgram::answer_notice(int answer) {
    const HWND box = wait_for_dialog_other_than(dialog_, "message box");
    SeenNotice notice;
    wchar_t caption[256] = L"";
    GetWindowTextW(box, caption, 256);
    notice.caption = caption;
    EnumChildWindows(box, look_at_notice_part, reinterpret_cast<LPARAM>(&notice));
    notice.owner = GetWindow(box, GW_OWNER);
    notice.dialog_enabled = IsWindowEnabled(dialog_) != FALSE;
    for (const int button : {IDOK, IDCANCEL, IDABORT, IDRETRY, IDIGNORE, IDYES, IDNO}) {
        const HWND window = GetDlgItem(box, button);
        if (window != nullptr && IsWindowVisible(window))
            notice.buttons.push_back(button);
    }
    const HWND button = GetDlgItem(box, answer);
    if (button == nullptr || !PostMessageW(button, BM_CLICK, 0, 0))
        throw failure("cannot press button " + std::to_string(answer) + " of the message box");
    wait_until([box] { return !IsWindow(box); }, "message box gone after its answer");
    return notice;
}

HWND RemoteProgram::wait_for_dialog_other_than(HWND except, const char* what) const {
    DialogSearch search{process_.dwProcessId, except};
    wait_until(
        [&search] {
            EnumWindows(look_at_window, reinterpret_cast<LPARAM>(&search));
            return search.found != nullptr;
        },
        what);
    return search.found;
}

void RemoteProgram::wait_until(const std::function<bool()>& done, const char* what) const {
    const ULONGLONG deadline = GetTickCount64() + answer_limit_ms;
    while (!done()) {
        if (ended_within(20))
            throw std::runtime_error(std::string("lumivex.exe ended, waiting for: ") + what);
        if (GetTickCount64() > deadline)
            throw std::runtime_error(std::string("waited in vain for: ") + what);
    }
}

DWORD RemoteProgram::wait_for_exit() {
    if (!ended_within(answer_limit_ms))
        throw std::runtime_error("lumivex.exe did not end");
    DWORD code = 0;
    GetExitCodeProcess(process_.hProcess, &code);
    return code;
}

bool RemoteProgram::ended_within(DWORD ms) const {
    return WaitForSingleObject(process_.hProcess, ms) == WAIT_OBJECT_0;
}

std::vector<std::string> recorded_port_calls(const std::string& folder) {
    std::vector<std::string> lines;
    std::ifstream log(folder + "/port-calls.log");
    for (std::string line; std::getline(log, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

void forget_recorded_port_calls() {
    DeleteFileA("port-calls.log");
}

std::wstring to_wide(std::string_view utf8) {
    std::wstring wide(utf8.size(), L'\0');
    wide.resize(static_cast<std::size_t>(
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(),
                            static_cast<int>(wide.size()))));
    return wide;
}
