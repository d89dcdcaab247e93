#include "remote_program.h"

#include <fstream>
#include <stdexcept>

namespace {

// Long enough for Wine to start a program on a busy machine; a hang fails well before
// CTest's own time limit.
constexpr DWORD answer_limit_ms = 15000;
constexpr DWORD poll_interval_ms = 20;

std::runtime_error failure(const std::string& what) {
    return std::runtime_error(what + " (Windows error " + std::to_string(GetLastError()) + ")");
}

std::wstring class_name(HWND window) {
    wchar_t name[64] = L"";
    GetClassNameW(window, name, 64);
    return name;
}

// The program's visible top-level dialog windows (class "#32770") other than except.
struct DialogSearch {
    DWORD process_id;
    HWND except;
    const wchar_t* caption; // nullptr: any
    HWND found = nullptr;
};

BOOL CALLBACK look_at_window(HWND window, LPARAM parameter) {
    auto& search = *reinterpret_cast<DialogSearch*>(parameter);
    DWORD process_id = 0;
    GetWindowThreadProcessId(window, &process_id);
    if (process_id != search.process_id || window == search.except || !IsWindowVisible(window) ||
        class_name(window) != L"#32770")
        return TRUE;
    if (search.caption != nullptr) {
        wchar_t caption[256] = L"";
        GetWindowTextW(window, caption, 256);
        if (std::wstring(caption) != search.caption)
            return TRUE;
    }
    search.found = window;
    return FALSE;
}

struct NoticeContents {
    std::wstring text;
    bool has_icon = false;
};

BOOL CALLBACK look_at_notice_part(HWND child, LPARAM parameter) {
    auto& contents = *reinterpret_cast<NoticeContents*>(parameter);
    if (class_name(child) != L"Static" || !IsWindowVisible(child))
        return TRUE;
    if ((GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
        contents.has_icon = SendMessageW(child, STM_GETICON, 0, 0) != 0;
        return TRUE;
    }
    wchar_t text[512] = L"";
    SendMessageW(child, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text));
    if (text[0] != L'\0')
        contents.text = text;
    return TRUE;
}

LRESULT send_within_limit(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    DWORD_PTR result = 0;
    if (SendMessageTimeoutW(window, message, wparam, lparam, SMTO_NORMAL, answer_limit_ms,
                            &result) == 0)
        throw failure("message " + std::to_string(message) + " not handled in time");
    return static_cast<LRESULT>(result);
}

// A click sent from a thread of its own, so that the driver can answer the message box that
// the click's handler shows meanwhile. Should anything go wrong, the program is ended, which
// also ends the send.
class BackgroundClick {
public:
    BackgroundClick(HWND button, HANDLE program) : button_(button), program_(program) {
        thread_ = CreateThread(nullptr, 0, run, this, 0, nullptr);
        if (thread_ == nullptr)
            throw failure("cannot start a thread");
    }
    ~BackgroundClick() {
        if (!finished_within(0)) {
            TerminateProcess(program_, 1);
            finished_within(answer_limit_ms);
        }
        CloseHandle(thread_);
    }
    BackgroundClick(const BackgroundClick&) = delete;
    BackgroundClick& operator=(const BackgroundClick&) = delete;

    bool finished_within(DWORD ms) const {
        return WaitForSingleObject(thread_, ms) == WAIT_OBJECT_0;
    }

private:
    static DWORD WINAPI run(void* self) {
        SendMessageW(static_cast<BackgroundClick*>(self)->button_, BM_CLICK, 0, 0);
        return 0;
    }

    HWND button_;
    HANDLE program_;
    HANDLE thread_;
};

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
        dialog_ = wait_for_dialog();
    } catch (...) {
        end_process();
        throw;
    }
}

RemoteProgram::~RemoteProgram() {
    end_process();
}

HWND RemoteProgram::wait_for_dialog() const {
    WaitForInputIdle(process_.hProcess, answer_limit_ms);
    const ULONGLONG deadline = GetTickCount64() + answer_limit_ms;
    DialogSearch search{process_.dwProcessId, nullptr, L"Lumivex"};
    while (EnumWindows(look_at_window, reinterpret_cast<LPARAM>(&search)), !search.found) {
        if (ended_within(poll_interval_ms))
            throw std::runtime_error("lumivex.exe ended without showing its dialog");
        if (GetTickCount64() > deadline)
            throw std::runtime_error("no dialog \"Lumivex\" appeared");
    }
    return search.found;
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

SeenNotice RemoteProgram::click_answering(int id, int answer) {
    const BackgroundClick click(control(id), process_.hProcess);
    const SeenNotice notice = read_and_answer(wait_for_message_box(), answer);
    if (!click.finished_within(answer_limit_ms))
        throw std::runtime_error("the click's handler did not return after its message box");
    return notice;
}

SeenNotice RemoteProgram::answer_notice(int answer) {
    return read_and_answer(wait_for_message_box(), answer);
}

HWND RemoteProgram::wait_for_message_box() {
    const ULONGLONG deadline = GetTickCount64() + answer_limit_ms;
    DialogSearch search{process_.dwProcessId, dialog_, nullptr};
    while (EnumWindows(look_at_window, reinterpret_cast<LPARAM>(&search)), !search.found) {
        if (ended_within(poll_interval_ms))
            throw std::runtime_error("lumivex.exe ended instead of showing a message box");
        if (GetTickCount64() > deadline)
            throw std::runtime_error("no message box appeared");
    }
    return search.found;
}

SeenNotice RemoteProgram::read_and_answer(HWND box, int answer) {
    SeenNotice notice;
    wchar_t caption[256] = L"";
    GetWindowTextW(box, caption, 256);
    notice.caption = caption;
    NoticeContents contents;
    EnumChildWindows(box, look_at_notice_part, reinterpret_cast<LPARAM>(&contents));
    notice.text = contents.text;
    notice.has_icon = contents.has_icon;
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
    const ULONGLONG deadline = GetTickCount64() + answer_limit_ms;
    while (IsWindow(box)) {
        if (ended_within(poll_interval_ms))
            throw std::runtime_error("lumivex.exe ended while its message box was answered");
        if (GetTickCount64() > deadline)
            throw std::runtime_error("the message box stayed after it was answered");
    }
    return notice;
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
    for (const char* file : {"port-calls.log", "port-inport.txt", "port-opencom-fails"})
        DeleteFileA(file);
}

std::wstring to_wide(std::string_view utf8) {
    std::wstring wide(utf8.size(), L'\0');
    wide.resize(static_cast<std::size_t>(
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(),
                            static_cast<int>(wide.size()))));
    return wide;
}

std::string to_utf8(const std::wstring& text) {
    const int length = static_cast<int>(text.size());
    std::string utf8(static_cast<std::size_t>(WideCharToMultiByte(CP_UTF8, 0, text.data(), length,
                                                                  nullptr, 0, nullptr, nullptr)),
                     '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), length, utf8.data(), static_cast<int>(utf8.size()),
                        nullptr, nullptr);
    return utf8;
}
