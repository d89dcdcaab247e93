// Drives lumivex.exe under Wine by messages to its controls, with the recording port library as
// drv/PORT.DLL (or none): dialog_scenarios NAME. Waits are bounded; a failed check names its line.
#include "app/shared_state.h"
#include "dialog/dialog_template.h"
#include "display/initialisation.h"
#include "port/port_module.h"
#include "resources/resource_ids.h"
#include "support/front_end_cases.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <source_location>
#include <sstream>
#include <stdexcept>
#include <windows.h>

using namespace front_end;
using lumivex::lpt::lpt1_base_address;
using lumivex::lpt::lpt2_base_address;

namespace {

constexpr DWORD limit_ms = 15000; // Wine starting a program on a busy machine
PROCESS_INFORMATION process{};
HWND dialog = nullptr;

void check(bool ok, std::source_location where = std::source_location::current()) {
    if (!ok)
        throw std::runtime_error("check failed at line " + std::to_string(where.line()));
}

bool ended_within(DWORD ms) {
    return WaitForSingleObject(process.hProcess, ms) == WAIT_OBJECT_0;
}

template <typename Done> void wait_until(const Done& done) {
    const ULONGLONG deadline = GetTickCount64() + limit_ms;
    while (!done())
        check(!ended_within(20) && GetTickCount64() < deadline);
}

// A shown dialog window of the program other than except: the dialog, or a message box.
HWND shown_dialog_other_than(HWND except) {
    HWND found = nullptr;
    wait_until([&] {
        for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, L"#32770", nullptr)) != nullptr;) {
            DWORD id = 0;
            GetWindowThreadProcessId(w, &id);
            if (id == process.dwProcessId && w != except && IsWindowVisible(w))
                found = w;
        }
        return found != nullptr;
    });
    return found;
}

void start(const wchar_t* folder = nullptr, const std::wstring& arguments = L"") {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    wchar_t path[MAX_PATH] = L"";
    GetFullPathNameW(L"lumivex.exe", MAX_PATH, path, nullptr);
    std::wstring command = L"\"" + std::wstring(path) + L"\" " + arguments;
    check(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder,
                         &startup, &process));
    WaitForInputIdle(process.hProcess, limit_ms);
    dialog = shown_dialog_other_than(nullptr);
}

HWND control(int id) {
    return GetDlgItem(dialog, id); // a message to none fails
}

LRESULT send_to(HWND window, UINT message, WPARAM wparam = 0, LPARAM lparam = 0) {
    DWORD_PTR result = 0;
    check(SendMessageTimeoutW(window, message, wparam, lparam, SMTO_NORMAL, limit_ms, &result));
    return static_cast<LRESULT>(result);
}
LRESULT send(int id, UINT message, WPARAM wparam = 0, LPARAM lparam = 0) {
    return send_to(control(id), message, wparam, lparam);
}

std::wstring to_wide(std::string_view utf8) {
    wchar_t wide[512] = L"";
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), wide, 511);
    return wide;
}
std::wstring text_of(HWND window) {
    wchar_t text[512] = L"";
    send_to(window, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text));
    return text;
}
void set_text(int id, const std::string& utf8) {
    send(id, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(to_wide(utf8).c_str()));
}

void exit_with_code(DWORD expected = 0, bool by_exit_button = true) {
    if (by_exit_button)
        send(exit_button, BM_CLICK);
    DWORD code = expected + 1;
    check(ended_within(limit_ms) && GetExitCodeProcess(process.hProcess, &code) &&
          code == expected);
}

// The lines the recording port library wrote to port-calls.log, after the first skipped ones.
Trace recorded_port_calls(std::size_t skipped = 0, const std::string& folder = ".") {
    Trace lines;
    std::ifstream log(folder + "/port-calls.log");
    for (std::string line; std::getline(log, line);)
        if (skipped == 0 || skipped-- == 0)
            lines.push_back(line.substr(0, line.find('\r')));
    return lines;
}
std::string opened_and_closed(const std::string& device, int base) {
    return opened(device, base) + " | " + closed(base);
}

// An open message box as "caption: text[ icon] buttons".
std::wstring message_box_seen(HWND box) {
    wchar_t caption[256] = L"";
    GetWindowTextW(box, caption, 256);
    std::wstring text, icon, buttons;
    for (HWND part = nullptr; (part = FindWindowExW(box, part, L"Static", nullptr)) != nullptr;)
        if (IsWindowVisible(part) && (GetWindowLongW(part, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
            icon = send_to(part, STM_GETICON) != 0 ? L" icon" : L"";
        else if (IsWindowVisible(part))
            text += text_of(part);
    for (const int button : {IDOK, IDCANCEL, IDYES, IDNO})
        if (IsWindowVisible(GetDlgItem(box, button)))
            buttons += L" " + std::to_wstring(button);
    return std::wstring(caption) + L": " + text + icon + buttons;
}

// Brings the notice up as the case says and answers it; nothing reaches the port library. A
// reason follows the text on a line of its own. The open box reads as
// "caption: text[ icon] buttons[ owned by the dialog][ dialog enabled]".
void expect_notice(const NoticeCase& c, const std::string& reason = "") {
    if (c.field != 0)
        set_text(c.field, c.field_text);
    for (const int id : {c.first_click, c.second_click})
        if (id != 0)
            send(id, BM_CLICK);
    const std::size_t calls = recorded_port_calls().size();
    const bool question = c.kind == NoticeKind::question;
    check(PostMessageW(control(c.clicked), BM_CLICK, 0, 0));
    const HWND box = shown_dialog_other_than(dialog);
    const HWND owner = GetWindow(box, GW_OWNER);
    const std::wstring seen = message_box_seen(box) +
                              (owner == dialog ? L" owned by the dialog"
                               : owner         ? L" owned"
                                               : L"") +
                              (IsWindowEnabled(dialog) ? L" dialog enabled" : L"");
    check(PostMessageW(GetDlgItem(box, question ? IDNO : IDOK), BM_CLICK, 0, 0));
    wait_until([box] { return !IsWindow(box); });
    send_to(dialog, WM_NULL); // the click's handler has returned
    const bool has_icon = c.kind == NoticeKind::error || c.kind == NoticeKind::information;
    const std::string expected = c.text + (reason.empty() ? "" : "\n" + reason);
    check(seen == to_wide(c.caption) + L": " + to_wide(expected) + (has_icon ? L" icon" : L"") +
                      (question ? L" 6 7" : L" 1") +
                      (c.owner == NoticeOwner::dialog ? L" owned by the dialog" : L""));
    check(IsWindowEnabled(dialog) && recorded_port_calls(calls).empty());
}

// The dialog as initialisation leaves it; each control reaching its handler with its operand;
// the list opening when typed into and issuing its entry on closing; LPT2 opened in place of
// LPT1; Exit closing it.
void controls_reach_their_handlers() {
    start();
    check(send(command_list, CB_GETCURSEL) == CB_ERR &&
          send(operand_field, EM_GETLIMITTEXT) == operand_field_limit &&
          send(sequence_field, EM_GETLIMITTEXT) == sequence_field_limit);
    send_to(FindWindowExW(control(command_list), nullptr, L"Edit", nullptr), WM_CHAR, L'x', 1);
    check(send(command_list, CB_GETDROPPEDSTATE) == TRUE);
    send(command_list, CB_SHOWDROPDOWN, FALSE);

    send(open_port_button, BM_CLICK);
    check(joined(recorded_port_calls()) == opened("LPT1:", lpt1_base_address) &&
          (send(open_port_button, BM_GETSTATE) & BST_PUSHED));
    send(command_list, CB_SETCURSEL, ddram_address_entry);
    for (const ClickCase& c : click_cases) {
        if (c.field != 0)
            set_text(c.field, c.text);
        const std::size_t calls = recorded_port_calls().size();
        send(c.button, BM_CLICK);
        check(decode_pulses(recorded_port_calls(calls)) == on_four_bits(c.rs, c.byte));
    }
    set_text(operand_field, list_operand);
    const std::size_t calls = recorded_port_calls().size();
    send(command_list, CB_SHOWDROPDOWN, TRUE);
    send(command_list, CB_SETCURSEL, ddram_address_entry);
    send(command_list, CB_SHOWDROPDOWN, FALSE);
    check(decode_pulses(recorded_port_calls(calls)) == on_four_bits(0, list_byte));

    send(close_port_button, BM_CLICK);
    check(!(send(open_port_button, BM_GETSTATE) & BST_PUSHED));
    send(lpt2_radio, BM_CLICK);
    const std::size_t closed_at = recorded_port_calls().size();
    send(open_port_button, BM_CLICK);
    exit_with_code();
    check(joined(recorded_port_calls(closed_at)) == opened_and_closed("LPT2:", lpt2_base_address));
}

// Enter and Escape, as the system delivers them, do nothing: the notices behind them still
// find the dialog, and nothing reaches the port library before the first.
void notices_show_text_caption_and_owner() {
    start();
    send_to(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control(operand_field)), TRUE);
    for (const WPARAM key : {VK_RETURN, VK_ESCAPE}) {
        const LPARAM scan_code = MapVirtualKeyW(UINT(key), MAPVK_VK_TO_VSC) << 16;
        check(PostMessageW(control(operand_field), WM_KEYDOWN, key, scan_code | 1));
        check(PostMessageW(control(operand_field), WM_KEYUP, key, scan_code | 0xC0000001));
    }
    for (const NoticeCase& c : notice_cases)
        expect_notice(c);
    exit_with_code();
}

// The system's message for a failed load of path: code's text, the path at %1 or before it.
std::string load_failure(const std::string& path, DWORD code) {
    char message[256] = "";
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                   message, 256, nullptr);
    std::string reason(message, std::strcspn(message, "\r\n"));
    const auto insert = reason.find("%1");
    return insert == std::string::npos ? path + ": " + reason : reason.replace(insert, 2, path);
}

// Without a port library the loader's reason is the one for the last path tried; with a file
// that is no library, the one for the path where it is, the program's folder coming first.
void without_port_library() {
    start();
    expect_notice(no_port_library, load_failure("drv/PORT.DLL", ERROR_MOD_NOT_FOUND));
    check(!(send(open_port_button, BM_GETSTATE) & BST_PUSHED));
    std::ofstream("drv/PORT.DLL") << "not a library";
    const std::string beside_program = std::filesystem::current_path().string() + "/drv/PORT.DLL";
    expect_notice(no_port_library, load_failure(beside_program, ERROR_BAD_EXE_FORMAT));
    DeleteFileW(L"drv\\PORT.DLL");
    exit_with_code();
}

// The simulated port says why it refuses a setting, below the notice's text, in UTF-8.
void sim_port_says_why_it_refuses() {
    SetEnvironmentVariableW(L"LUMIVEX_SIM_PANEL", L"bögus"); // in the system's code page
    start();
    expect_notice(refused_port, bogus_panel);
    exit_with_code();
}

// The MCP2221 library, with no bridge plugged in, says so below the notice's text.
void mcp2221_port_finds_no_bridge() {
    start(nullptr, L"--port=mcp2221");
    expect_notice(refused_port, "lumivex mcp2221: MCP2221: no bridge found (USB ID 04d8:00dd; "
                                "Device Manager lists it under Human Interface Devices when it "
                                "is plugged in)");
    exit_with_code();
}

// Throughout the LED test, with waits as long as a real port library's, the dialog answers
// within 500 ms, and every wait is made.
void answers_during_the_led_test() {
    start();
    send(open_port_button, BM_CLICK);
    const std::size_t calls = recorded_port_calls().size();
    const ULONGLONG start_ms = GetTickCount64();
    check(PostMessageW(control(led_test_button), BM_CLICK, 0, 0));
    int answers = 0;
    bool started = false;
    for (std::wstring text; !started || text == L"busy..."; ++answers) {
        DWORD_PTR ignored = 0;
        check(GetTickCount64() - start_ms < 20000 &&
              SendMessageTimeoutW(dialog, WM_NULL, 0, 0, SMTO_NORMAL, 500, &ignored));
        text = text_of(control(led_test_button));
        started = started || text == L"busy...";
    }
    check(answers > 20 && total_delay_ms(recorded_port_calls(calls)) == 7300);
    exit_with_code();
}

// Each icon with its 32 and 16 pixel images; the version resource states the dialog's version.
void resources_of_the_program() {
    const HMODULE module = LoadLibraryExW(L"lumivex.exe", nullptr, LOAD_LIBRARY_AS_DATAFILE);
    for (const int id : {LUMIVEX_LARGE_ICON, LUMIVEX_SMALL_ICON}) {
        const HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), RT_GROUP_ICON);
        // A 6-byte header with the image count at offset 4, then 14 bytes per image, width first.
        const auto* group = static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
        check(found != nullptr && group[4] == 2 && group[6] == 32 && group[20] == 16);
    }
    DWORD ignored = 0;
    std::vector<BYTE> version(GetFileVersionInfoSizeW(L"lumivex.exe", &ignored) + 1);
    void* value = nullptr;
    UINT length = 0;
    check(GetFileVersionInfoW(L"lumivex.exe", 0, DWORD(version.size()), version.data()) &&
          VerQueryValueW(version.data(), L"\\StringFileInfo\\040904E4\\FileVersion", &value,
                         &length));
    const auto& controls = control_dialog().controls;
    check(to_wide(std::find_if(controls.begin(), controls.end(), [](const auto& c) {
                      return c.id == version_text;
                  })->text) == L"Version: " + std::wstring(static_cast<const wchar_t*>(value)));
}

// Started elsewhere, the program finds drv\PORT.DLL beside it. At log-off the port is closed as
// at the program's end.
void started_elsewhere_and_ended_by_the_session() {
    CreateDirectoryW(L"elsewhere", nullptr);
    DeleteFileW(L"elsewhere\\port-calls.log");
    start(L"elsewhere");
    send(open_port_button, BM_CLICK);
    const HWND main_window = FindWindowW(L"Lumivex", L"Lumivex-Commands");
    check(main_window != nullptr);
    DWORD_PTR ignored = 0; // the program may end before it answers
    SendMessageTimeoutW(main_window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, 0, 5000, &ignored);
    SendMessageTimeoutW(main_window, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, 0, 5000, &ignored);
    exit_with_code(0, false);
    check(joined(recorded_port_calls(0, "elsewhere")) ==
          opened_and_closed("LPT1:", lpt1_base_address));
}

LRESULT CALLBACK refuse_bench_window(int code, WPARAM window, LPARAM details) {
    char name[32] = "";
    GetClassNameA(reinterpret_cast<HWND>(window), name, 32);
    return code == HCBT_CREATEWND && lstrcmpA(name, "LumivexBenchWindow") == 0
               ? 1
               : CallNextHookEx(nullptr, code, window, details);
}

// An unknown port library's name stops the program before its dialog: a box, then exit code 2.
void unknown_port_name_stops_the_program() {
    start(nullptr, L"--port=nope");
    check(message_box_seen(dialog) == L"Lumivex: lumivex: no port library named \"nope\" (found: "
                                      L"sim, inpout, mcp2221, serial) icon 1");
    check(PostMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0));
    exit_with_code(2, false);
}

// The simulated port takes the command line's panel: one it does not offer keeps it closed.
void sim_port_takes_the_panel_option() {
    start(nullptr, L"--panel=99x9");
    expect_notice(refused_port, "lumivex sim: LUMIVEX_SIM_PANEL \"99x9\"" +
                                    bogus_panel.substr(bogus_panel.find(':', 13)));
    exit_with_code();
}

// The shipped simulated port on the instant clock: its window comes and goes with the port, also
// after one that could not be made (opened here, under a hook on all this process's threads that
// refuses it), and the demo leaves its winking face, glyph 2, at DDRAM address 0.
void sim_port_plays_the_demo() {
    const auto bench_window = [] { return FindWindowW(L"LumivexBenchWindow", L"Lumivex bench"); };
    namespace port = lumivex::port;
    const HHOOK hook = SetWindowsHookExW(WH_CBT, refuse_bench_window, GetModuleHandleW(nullptr), 0);
    check(port::open_port(lpt1_base_address) == port::opened && !bench_window() &&
          port::close_port(lpt1_base_address) == 0 && UnhookWindowsHookEx(hook));
    check(port::open_port(lpt1_base_address) == port::opened && bench_window() &&
          port::close_port(lpt1_base_address) == 0);
    start();
    check(bench_window() == nullptr);
    send(open_port_button, BM_CLICK);
    const HWND window = bench_window();
    check(window != nullptr && IsWindowVisible(window));
    send(demo_button, BM_CLICK);
    send_to(window, WM_CLOSE);
    check(IsWindow(window) && !IsWindowVisible(window));
    send(command_list, CB_SHOWDROPDOWN, TRUE);
    send(command_list, CB_SETCURSEL, 5); // "Read data from CG or DDRAM"
    send(command_list, CB_SHOWDROPDOWN, FALSE);
    check(text_of(control(read_back_field)) == L"0000 0010");
    send(close_port_button, BM_CLICK);
    check(!IsWindow(window));
    exit_with_code();
}

// The serial port library on the board serial_board_check.sh puts behind COM7: the port opens
// without a notice, and the LED test runs on it.
void serial_port_drives_a_board() {
    start(nullptr, L"--port=serial");
    send(open_port_button, BM_CLICK);
    send(led_test_button, BM_CLICK);
    exit_with_code();
}

// What reached port-calls.log while the LED test, a 4-bit initialisation and a read of SR ran on
// `library` at the LPT `base`, then a write to the other LPT's DR and a read of its CR; `status`
// and `outside` are the reads' results.
Trace port_accesses(const std::string& library, int base, int& status, int& outside) {
    DeleteFileA("port-calls.log");
    lumivex::port::use_port_library(library, true);
    check(lumivex::port::open_port(base) == lumivex::port::opened);
    lumivex::app::current_base_address = base;
    lumivex::port::run_led_test(base);
    lumivex::display::initialise_display(lumivex::display::BusWidth::four_bit);
    status = lumivex::port::port_in(base + 1);
    const int other = lpt1_base_address + lpt2_base_address - base;
    lumivex::port::port_out(other, 0x55);
    outside = lumivex::port::port_in(other + 2);
    lumivex::port::close_port(base);
    return recorded_port_calls();
}

// The trace's accesses to the registers at `from`, moved to `to`; nothing else.
Trace moved(const Trace& trace, int from, int to) {
    Trace accesses;
    for (const std::string& line : trace) {
        std::istringstream fields(line);
        std::string kind;
        int address = 0, value = 0;
        fields >> kind >> std::hex >> address >> value;
        if (address >= from && address <= from + 2 && kind == "OUTPORT")
            accesses.push_back(outport(address - from + to, value));
        if (address >= from && address <= from + 2 && kind == "INPORT")
            accesses.push_back(inport(address - from + to));
    }
    return accesses;
}

// Through InpOut32 the program's registers are the port's at its base, LPT1's where PCs have it
// and LPT2's where inpout.conf puts it: every access the recording port library sees, moved
// there, and nothing outside the open port. Reads give what InpOut32 reads.
void inpout_reaches_the_port_at_its_base() {
    lumivex::port::set_wait_runner([](long long, void (*)(void*), void*) {}); // no waits
    int status = 0, outside = 0;
    const Trace recorded =
        port_accesses("drv/recording/PORT.DLL", lpt1_base_address, status, outside);
    check(port_accesses("drv/inpout/PORT.DLL", lpt1_base_address, status, outside) ==
              moved(recorded, lpt1_base_address, lpt1_base_address) &&
          status == 0x7F && outside == 0xFF);
    std::ofstream("remapped.conf") << "[LPT2]\nbase = 0xD010\n";
    SetEnvironmentVariableW(L"LUMIVEX_INPOUT_CONF", L"remapped.conf");
    check(port_accesses("drv/inpout/PORT.DLL", lpt2_base_address, status, outside) ==
              moved(recorded, lpt1_base_address, 0xD010) &&
          status == 0x87 && outside == 0xFF);
}

// Each reason the InpOut32 port cannot be had follows the Err3 box's text: no InpOut32, its
// driver not open, a configuration at fault.
void inpout_says_why_it_refuses() {
    std::ofstream("inpout-test.conf").flush();
    SetEnvironmentVariableW(L"LUMIVEX_INPOUT_CONF", L"inpout-test.conf");
    start(nullptr, L"--port=inpout");
    const std::string folder = std::filesystem::absolute("drv\\inpout").string();
    const std::string names = sizeof(void*) == 8 ? "inpoutx64.dll or inpout32.dll" : "inpout32.dll";
    check(MoveFileW(L"drv\\inpout\\inpout32.dll", L"away.dll"));
    expect_notice(refused_port, "lumivex inpout: " + names + ": not found beside PORT.DLL (in " +
                                    folder +
                                    ") nor on the system's path; get InpOut32 from "
                                    "Highrez (https://www.highrez.co.uk/downloads/inpout32/) "
                                    "and put it into either");
    check(MoveFileW(L"away.dll", L"drv\\inpout\\inpout32.dll"));
    std::ofstream("inpout-driver-closed").flush();
    expect_notice(refused_port, "lumivex inpout: " + folder +
                                    "\\inpout32.dll: InpOut32's driver "
                                    "is not open; start lumivex.exe once with \"Run as "
                                    "administrator\" so that InpOut32 installs it");
    DeleteFileW(L"inpout-driver-closed");
    std::ofstream("inpout-test.conf") << "[LPT1]\nbase = 0x37B\n";
    expect_notice(refused_port, "lumivex inpout: inpout-test.conf: line 2: base is the port's "
                                "first I/O address, a multiple of 4 from 0x100 to 0xFFFC, not "
                                "0x37B");
    exit_with_code();
}

// Not a test: plays the demo on the port's own clock for scripts/screenshots-win32.sh.
void play_demo() {
    start();
    send(open_port_button, BM_CLICK);
    send(demo_button, BM_CLICK);
    exit_with_code();
}

#define SCENARIO(name)                                                                             \
    { #name, name }
const std::map<std::string, void (*)()> scenarios{
    SCENARIO(controls_reach_their_handlers),
    SCENARIO(notices_show_text_caption_and_owner),
    SCENARIO(without_port_library),
    SCENARIO(resources_of_the_program),
    SCENARIO(answers_during_the_led_test),
    SCENARIO(started_elsewhere_and_ended_by_the_session),
    SCENARIO(sim_port_plays_the_demo),
    SCENARIO(unknown_port_name_stops_the_program),
    SCENARIO(sim_port_takes_the_panel_option),
    SCENARIO(sim_port_says_why_it_refuses),
    SCENARIO(mcp2221_port_finds_no_bridge),
    SCENARIO(inpout_reaches_the_port_at_its_base),
    SCENARIO(inpout_says_why_it_refuses),
    SCENARIO(serial_port_drives_a_board),
    SCENARIO(play_demo)};

} // namespace

int main(int argc, char* argv[]) {
    const auto scenario = argc == 2 ? scenarios.find(argv[1]) : scenarios.end();
    if (scenario == scenarios.end())
        return 2;
    DeleteFileA("port-calls.log");
    int failed = 0;
    try {
        scenario->second();
    } catch (const std::exception& error) {
        std::cerr << scenario->first << ": " << error.what() << "\n";
        failed = 1;
    }
    if (process.hProcess != nullptr && !ended_within(0)) {
        TerminateProcess(process.hProcess, 1);
        ended_within(limit_ms);
    }
    return failed;
}
