// Drives lumivex.exe under Wine as a user would, through its dialog's controls, with the
// recording port library as drv/PORT.DLL (or none), and checks what reached the port library,
// the message boxes and the exit code. One scenario per run: dialog_scenarios NAME.
#include "dialog/dialog_template.h"
#include "expect.h"
#include "remote_program.h"
#include "resources/resource_ids.h"
#include "support/front_end_cases.h"

#include <algorithm>
#include <functional>
#include <iostream>
#include <map>

using namespace front_end;
using lumivex::lpt::lpt1_base_address;
using lumivex::lpt::lpt2_base_address;

namespace {

// What the port library was called with since it had been called count times.
Trace calls_since(std::size_t count) {
    const Trace calls = recorded_port_calls();
    return Trace(calls.begin() + static_cast<std::ptrdiff_t>(std::min(count, calls.size())),
                 calls.end());
}

Trace opened_and_closed(const std::string& device, int base) {
    Trace calls = opened(device, base);
    const Trace closing = closed(base);
    calls.insert(calls.end(), closing.begin(), closing.end());
    return calls;
}

bool is_pushed(const RemoteProgram& program, int id) {
    return (program.send(id, BM_GETSTATE) & BST_PUSHED) != 0;
}

void exit_with_code_0(RemoteProgram& program) {
    program.click(exit_button);
    expect_equal(program.wait_for_exit(), DWORD{0});
}

// Brings the notice up as the case says, answers it and checks what it showed.
void expect_notice(RemoteProgram& program, const NoticeCase& c) {
    if (c.field != 0)
        program.set_text(c.field, to_wide(c.field_text));
    for (const int id : {c.first_click, c.second_click})
        if (id != 0)
            program.click(id);
    const std::size_t calls = recorded_port_calls().size();
    const bool question = c.kind == NoticeKind::question;
    const SeenNotice seen = program.click_answering(c.clicked, question ? IDNO : IDOK);
    expect_equal(seen.text, to_wide(c.text));
    expect_equal(seen.caption, to_wide(c.caption));
    expect(seen.has_icon == (c.kind == NoticeKind::error || c.kind == NoticeKind::information),
           c.text + std::string(": icon"));
    expect_equal(seen.buttons, question ? std::vector<int>{IDYES, IDNO} : std::vector<int>{IDOK});
    expect(seen.owner == (c.owner == NoticeOwner::dialog ? program.dialog() : nullptr),
           c.text + std::string(": owner"));
    expect(!seen.dialog_enabled && IsWindowEnabled(program.dialog()),
           "the dialog takes input only once the message box is answered");
    expect_equal(calls_since(calls), Trace{});
}

// The dialog as initialisation leaves it (the list's entries and LPT1 are used below); each control
// reaching its handler with its operand; the list opening when typed into; LPT2 opened in place of
// LPT1; Exit closing it.
void controls_reach_their_handlers() {
    RemoteProgram program;
    expect_equal<long long>(program.send(command_list, CB_GETCURSEL), CB_ERR);
    expect_equal<long long>(program.send(operand_field, EM_GETLIMITTEXT), operand_field_limit);
    expect_equal<long long>(program.send(sequence_field, EM_GETLIMITTEXT), sequence_field_limit);

    const HWND edit_field = FindWindowExW(program.control(command_list), nullptr, L"Edit", nullptr);
    program.send_to(edit_field, WM_CHAR, L'x', 1);
    expect_equal<long long>(program.send(command_list, CB_GETDROPPEDSTATE), TRUE);
    program.send(command_list, CB_SHOWDROPDOWN, FALSE);

    program.click(open_port_button);
    expect_equal(recorded_port_calls(), opened("LPT1:", lpt1_base_address));
    expect(is_pushed(program, open_port_button), "Open Port looks pressed");

    program.send(command_list, CB_SETCURSEL, ddram_address_entry);
    for (const ClickCase& c : click_cases) {
        if (c.field != 0)
            program.set_text(c.field, to_wide(c.text));
        const std::size_t calls = recorded_port_calls().size();
        program.click(c.button);
        expect_equal(decode_pulses(calls_since(calls)), on_four_bits(c.rs, c.byte));
    }
    program.set_text(operand_field, to_wide(list_operand));
    const std::size_t calls = recorded_port_calls().size();
    program.send(command_list, CB_SHOWDROPDOWN, TRUE);
    program.send(command_list, CB_SETCURSEL, ddram_address_entry);
    program.send(command_list, CB_SHOWDROPDOWN, FALSE);
    expect_equal(decode_pulses(calls_since(calls)), on_four_bits(0, list_byte));

    program.click(close_port_button);
    expect(!is_pushed(program, open_port_button), "Open Port released");
    program.click(lpt2_radio);
    const std::size_t closed_at = recorded_port_calls().size();
    program.click(open_port_button);
    exit_with_code_0(program);
    expect_equal(calls_since(closed_at), opened_and_closed("LPT2:", lpt2_base_address));
}

void notices_show_text_caption_and_owner() {
    RemoteProgram program;
    for (const NoticeCase& c : notice_cases)
        expect_notice(program, c);
    exit_with_code_0(program);
}

void without_port_library() {
    RemoteProgram program;
    expect_notice(program, no_port_library);
    expect(!is_pushed(program, open_port_button), "Open Port not pressed");
    exit_with_code_0(program);
}

void enter_and_escape_do_nothing() {
    RemoteProgram program;
    program.send_to(program.dialog(), WM_NEXTDLGCTL,
                    reinterpret_cast<WPARAM>(program.control(operand_field)), TRUE);
    for (const WPARAM key : {VK_RETURN, VK_ESCAPE}) {
        const LPARAM scan_code = MapVirtualKeyW(static_cast<UINT>(key), MAPVK_VK_TO_VSC) << 16;
        program.post(operand_field, WM_KEYDOWN, key, scan_code | 1);
        program.post(operand_field, WM_KEYUP, key, scan_code | 0xC0000001);
    }
    // Queued behind the keys: the dialog is still there to handle it.
    program.post(close_port_button, BM_CLICK);
    expect_equal(program.answer_notice(IDOK).text, to_wide(notice_cases[0].text));
    expect(IsWindowVisible(program.dialog()), "the dialog is still shown");
    expect_equal(recorded_port_calls(), Trace{});
    exit_with_code_0(program);
}

// Throughout the LED test, with waits as long as a real port library's, the dialog answers
// what the system sends it within 500 ms, and every wait is made.
void answers_during_the_led_test() {
    RemoteProgram program;
    program.click(open_port_button);
    const std::size_t calls = recorded_port_calls().size();
    const ULONGLONG start = GetTickCount64();
    program.post(led_test_button, BM_CLICK);
    int answered = 0;
    int late = 0;
    ULONGLONG slowest = 0;
    bool ended = false;
    for (bool started = false; !ended && GetTickCount64() - start < 20000;) {
        wchar_t text[32] = L"";
        DWORD_PTR ignored = 0;
        const ULONGLONG sent = GetTickCount64();
        const bool in_time =
            SendMessageTimeoutW(program.dialog(), WM_NULL, 0, 0, SMTO_NORMAL, 500, &ignored) &&
            SendMessageTimeoutW(program.control(led_test_button), WM_GETTEXT, 32,
                                reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 500, &ignored);
        slowest = std::max(slowest, GetTickCount64() - sent);
        ++(in_time ? answered : late);
        started = started || std::wstring(text) == L"busy...";
        ended = in_time && started && std::wstring(text) != L"busy...";
    }
    std::cout << "LED test: " << GetTickCount64() - start << " ms (7300 ms of waits), " << answered
              << " answers, slowest " << slowest << " ms\n";
    expect(ended, "the LED test ends");
    expect_equal(late, 0);
    expect(answered > 20, "the dialog was asked throughout");
    expect_equal(total_delay_ms(calls_since(calls)), 7300);
    exit_with_code_0(program);
}

// Each icon with its 32 and 16 pixel images, and a version resource stating the version the
// dialog shows.
void resources_of_the_program() {
    const HMODULE module = LoadLibraryExW(L"lumivex.exe", nullptr, LOAD_LIBRARY_AS_DATAFILE);
    for (const int id : {LUMIVEX_LARGE_ICON, LUMIVEX_SMALL_ICON}) {
        const HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), RT_GROUP_ICON);
        // A 6-byte header with the image count at offset 4, then 14 bytes per image, width first.
        const auto* group = static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
        expect(found != nullptr && group[4] == 2 && group[6] == 32 && group[20] == 16,
               "icon " + std::to_string(id) + ": 32 and 16 pixels");
    }
    DWORD ignored = 0;
    std::vector<BYTE> version(GetFileVersionInfoSizeW(L"lumivex.exe", &ignored) + 1);
    void* value = nullptr;
    UINT length = 0;
    expect(GetFileVersionInfoW(L"lumivex.exe", 0, static_cast<DWORD>(version.size()),
                               version.data()) &&
               VerQueryValueW(version.data(), L"\\StringFileInfo\\040904E4\\FileVersion", &value,
                              &length),
           "a version resource with a file version");
    const auto& controls = control_dialog().controls;
    const auto shown = std::find_if(controls.begin(), controls.end(), [](const auto& c) {
                           return c.id == version_text;
                       })->text;
    expect_equal(L"Version: " +
                     std::wstring(value != nullptr ? static_cast<const wchar_t*>(value) : L""),
                 to_wide(shown));
}

// Started from a shortcut or a prompt elsewhere, the program finds drv\PORT.DLL beside it. At
// log-off or shutdown the port is closed as at the program's end.
void started_elsewhere_and_ended_by_the_session() {
    CreateDirectoryW(L"elsewhere", nullptr);
    DeleteFileW(L"elsewhere\\port-calls.log");
    RemoteProgram program(L"elsewhere");
    program.click(open_port_button);
    const HWND main_window = FindWindowW(L"Lumivex", L"Lumivex-Commands");
    expect(main_window != nullptr, "the hidden main window");
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(main_window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_NORMAL, 5000,
                        &ignored);
    SendMessageTimeoutW(main_window, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_NORMAL, 5000,
                        &ignored);
    expect_equal(program.wait_for_exit(), DWORD{0});
    expect_equal(recorded_port_calls("elsewhere"), opened_and_closed("LPT1:", lpt1_base_address));
}

// The simulated port's window, or nullptr; the scenarios run one at a time.
HWND bench_window() {
    return FindWindowW(L"LumivexBenchWindow", L"Lumivex bench");
}

// The shipped port library, the simulated port on the instant clock: its window comes and goes
// with the port, and the demo leaves its winking face, glyph 2, at DDRAM address 0.
void sim_port_plays_the_demo() {
    RemoteProgram program;
    expect(bench_window() == nullptr, "no bench window before Open Port");
    program.click(open_port_button);
    const HWND window = bench_window();
    expect(window != nullptr && IsWindowVisible(window), "the bench window shows the open port");
    program.click(demo_button);

    program.send_to(window, WM_CLOSE);
    expect(IsWindow(window) && !IsWindowVisible(window), "closing the bench window hides it");
    program.send(command_list, CB_SHOWDROPDOWN, TRUE);
    program.send(command_list, CB_SETCURSEL, 5); // "Read data from CG or DDRAM"
    program.send(command_list, CB_SHOWDROPDOWN, FALSE);
    expect_equal(program.text(read_back_field), std::wstring(L"0000 0010"));

    program.click(close_port_button);
    expect(!IsWindow(window), "the bench window is gone when Close Port returns");
    exit_with_code_0(program);
}

// Not a test: plays the demo on the port's own clock for scripts/screenshots-win32.sh, which
// photographs the bench window meanwhile.
void play_demo() {
    RemoteProgram program;
    program.click(open_port_button);
    program.click(demo_button);
    exit_with_code_0(program);
}

const std::map<std::string, std::function<void()>> scenarios{
    {"controls_reach_their_handlers", controls_reach_their_handlers},
    {"notices_show_text_caption_and_owner", notices_show_text_caption_and_owner},
    {"without_port_library", without_port_library},
    {"resources_of_the_program", resources_of_the_program},
    {"enter_and_escape_do_nothing", enter_and_escape_do_nothing},
    {"answers_during_the_led_test", answers_during_the_led_test},
    {"started_elsewhere_and_ended_by_the_session", started_elsewhere_and_ended_by_the_session},
    {"sim_port_plays_the_demo", sim_port_plays_the_demo},
    {"play_demo", play_demo},
};

} // namespace

int main(int argc, char* argv[]) {
    const auto scenario = argc == 2 ? scenarios.find(argv[1]) : scenarios.end();
    if (scenario == scenarios.end()) {
        std::cerr << "usage: dialog_scenarios NAME, with NAME one of:\n";
        for (const auto& [name, run] : scenarios)
            std::cerr << "  " << name << "\n";
        return 2;
    }
    forget_recorded_port_calls();
    try {
        scenario->second();
    } catch (const std::exception& error) {
        expect(false, error.what());
    }
    std::cout << scenario->first << ": " << (failed_checks == 0 ? "passed" : "FAILED") << "\n";
    return failed_checks == 0 ? 0 : 1;
}
