#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>
#include <windows.h>

// A message box the program showed, as the driver found it.
struct SeenNotice {
    std::wstring caption;
    std::wstring text;
    HWND owner = nullptr;        // nullptr when it has none
    bool dialog_enabled = false; // whether the dialog took input while the box was open
    bool has_icon = false;
    std::vector<int> buttons; // ids of its buttons: IDOK, or IDYES and IDNO
};

// lumivex.exe of the current folder, started there or in the folder given, and driven from
// outside, like a user would, by messages to its dialog's controls. Every wait is bounded; a
// program that does not answer in time, or ends early, is a failure (an exception).
class RemoteProgram {
public:
    explicit RemoteProgram(const wchar_t* started_in = nullptr);
    ~RemoteProgram();
    RemoteProgram(const RemoteProgram&) = delete;
    RemoteProgram& operator=(const RemoteProgram&) = delete;

    HWND dialog() const { return dialog_; }
    HWND control(int id) const;

    // Sent messages return once the dialog has handled them.
    LRESULT send(int id, UINT message, WPARAM wparam = 0, LPARAM lparam = 0) const;
    LRESULT send_to(HWND window, UINT message, WPARAM wparam = 0, LPARAM lparam = 0) const;
    // Posted messages queue behind what is already waiting.
    void post(int id, UINT message, WPARAM wparam = 0, LPARAM lparam = 0) const;

    std::wstring text(int id) const;
    void set_text(int id, const std::wstring& text) const;
    void click(int id) const { send(id, BM_CLICK); }
    // Clicks and answers the message box the click shows with the button given; returns
    // once the click's handler has returned.
    SeenNotice click_answering(int id, int answer);
    // Answers the next message box (one that a posted message brings up) and waits until it
    // is gone.
    SeenNotice answer_notice(int answer);

    // The program's exit code, once it has ended.
    DWORD wait_for_exit();

private:
    HWND wait_for_dialog_other_than(HWND except, const char* what) const;
    void wait_until(const std::function<bool()>& done, const char* what) const;
    void end_process();
    bool ended_within(DWORD ms) const;

    PROCESS_INFORMATION process_{};
    HWND dialog_ = nullptr;
};

// The lines the recording port library wrote to port-calls.log in the folder given, by default
// the current one.
std::vector<std::string> recorded_port_calls(const std::string& folder = ".");
// Starts every scenario afresh, with no log.
void forget_recorded_port_calls();

// The driver reads and writes texts as UTF-16; the program's own texts are UTF-8.
std::wstring to_wide(std::string_view utf8);
