// Drives lumivex.exe under Wine as a user would, through its dialog's controls, with the
// recording port library as drv/PORT.DLL (or none), and checks what reached the port library,
// the message boxes and the exit code. One scenario per run: dialog_scenarios NAME.
#include "dialog/control_ids.h"
#include "dialog/dialog_template.h"
#include "display/commands.h"
#include "expect.h"
#include "remote_program.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <iostream>
#include <map>

using namespace lumivex::dialog;
using Trace = std::vector<std::string>;

namespace {

const Trace opened_lpt1{"OPENCOM LPT1:", "OUTPORT 378 00", "OUTPORT 37A 0B"};
const Trace closed_lpt1{"OUTPORT 378 00", "INPORT 37A", "OUTPORT 37A 0B", "CLOSECOM"};

Trace operator+(Trace first, const Trace& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

bool is_pushed(const RemoteProgram& program, int id) {
    return (program.send(id, BM_GETSTATE) & BST_PUSHED) != 0;
}

bool is_checked(const RemoteProgram& program, int id) {
    return program.send(id, BM_GETCHECK) == BST_CHECKED;
}

void expect_notice(const SeenNotice& notice, const std::wstring& caption, const std::wstring& text,
                   std::source_location where = std::source_location::current()) {
    expect_equal(notice.caption, caption, where);
    expect_equal(notice.text, text, where);
    expect(notice.has_icon, "the message box shows an icon", where);
    expect_equal(notice.buttons, std::vector<int>{IDOK}, where);
    expect(!notice.dialog_enabled, "the dialog takes no input while the message box is open",
           where);
}

void exit_with_code_0(RemoteProgram& program) {
    program.click(exit_button);
    expect_equal(program.wait_for_exit(), DWORD{0});
}

// Resource 102 as the program shows it: the template's controls with their classes, texts,
// styles and places, and the state initialisation gives them.
void dialog_follows_template() {
    RemoteProgram program;
    const HWND dialog = program.dialog();
    const LONG dialog_style = GetWindowLongW(dialog, GWL_STYLE);
    expect((dialog_style & (WS_POPUP | WS_CAPTION | DS_MODALFRAME)) ==
               (WS_POPUP | WS_CAPTION | DS_MODALFRAME),
           "popup dialog with caption and modal frame");
    expect((dialog_style & WS_SYSMENU) == 0, "no system menu, no close box");

    // Dialog units: the client area is 400 x 193 of them, each rounded as Windows does.
    RECT client;
    GetClientRect(dialog, &client);
    int unit_x = 0;
    int unit_y = 0;
    for (int units = 1; units < 64; ++units) {
        if (MulDiv(400, units, 4) == client.right)
            unit_x = units;
        if (MulDiv(193, units, 8) == client.bottom)
            unit_y = units;
    }
    expect(unit_x != 0 && unit_y != 0, "the dialog is 400 x 193 dialog units");

    for (const ControlTemplate& c : control_dialog().controls) {
        const std::string id = std::to_string(c.id);
        const HWND window = program.control(c.id);
        wchar_t window_class[32] = L"";
        GetClassNameW(window, window_class, 32);
        const wchar_t* expected_class = c.kind == ControlKind::static_text ? L"Static"
                                        : c.kind == ControlKind::edit      ? L"Edit"
                                        : c.kind == ControlKind::combo     ? L"ComboBox"
                                                                           : L"Button";
        expect(_wcsicmp(window_class, expected_class) == 0, id + ": window class");
        if (c.kind != ControlKind::combo) // its edit field shows the cue text instead
            expect_equal(program.text(c.id), to_wide(c.text));

        RECT place;
        GetWindowRect(window, &place);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&place), 2);
        expect_equal<long long>(place.left, MulDiv(c.x, unit_x, 4));
        expect_equal<long long>(place.top, MulDiv(c.y, unit_y, 8));
        expect_equal<long long>(place.right - place.left, MulDiv(c.width, unit_x, 4));
        if (c.kind != ControlKind::combo) // the template's height includes the list
            expect_equal<long long>(place.bottom - place.top, MulDiv(c.height, unit_y, 8));

        const LONG style = GetWindowLongW(window, GWL_STYLE);
        const LONG extended_style = GetWindowLongW(window, GWL_EXSTYLE);
        expect(((style & WS_TABSTOP) != 0) == ((c.style & tab_stop) != 0), id + ": tab stop");
        expect(((style & WS_GROUP) != 0) == ((c.style & group_start) != 0), id + ": group");
        const LONG button_type = style & BS_TYPEMASK;
        const bool label_left = (style & BS_CENTER) == BS_LEFT;
        switch (c.kind) {
        case ControlKind::group_box:
            expect(button_type == BS_GROUPBOX && label_left, id + ": group box, label left");
            break;
        case ControlKind::radio_button:
            expect(button_type == BS_AUTORADIOBUTTON && label_left,
                   id + ": auto radio button, label left");
            break;
        case ControlKind::check_box:
            expect(button_type == BS_AUTOCHECKBOX && label_left,
                   id + ": auto check box, label left");
            break;
        case ControlKind::push_button:
            expect(button_type == BS_PUSHBUTTON, id + ": push button, not a default one");
            expect(((style & BS_MULTILINE) != 0) == ((c.style & multi_line) != 0),
                   id + ": multi-line");
            break;
        case ControlKind::static_text:
            expect((style & SS_TYPEMASK) == ((c.style & align_centre)  ? SS_CENTER
                                             : (c.style & align_right) ? SS_RIGHT
                                                                       : SS_LEFT),
                   id + ": alignment");
            break;
        case ControlKind::edit:
            expect((style & ES_CENTER) != 0 && (style & ES_AUTOHSCROLL) != 0,
                   id + ": centred, scrolls");
            expect((style & WS_BORDER) != 0 || (extended_style & WS_EX_CLIENTEDGE) != 0,
                   id + ": border");
            expect(((style & ES_READONLY) != 0) == ((c.style & read_only) != 0),
                   id + ": read-only");
            break;
        case ControlKind::combo:
            // WS_VSCROLL goes to its list, which shows the scroll bar only when needed.
            expect((style & 3) == CBS_DROPDOWN && (style & CBS_AUTOHSCROLL) != 0,
                   id + ": drop-down with edit field");
            break;
        }
    }

    expect_equal<long long>(program.send(command_list, CB_GETCOUNT), 11);
    expect_equal<long long>(program.send(command_list, CB_GETCURSEL), CB_ERR);
    const auto names = lumivex::display::command_texts();
    wchar_t entry[64] = L"";
    program.send(command_list, CB_GETLBTEXT, 3, reinterpret_cast<LPARAM>(entry));
    expect_equal(std::wstring(entry), to_wide(names[3]));
    expect_equal(program.text(command_list), std::wstring(L" Choose HD44780-command... !"));
    expect_equal<long long>(program.send(operand_field, EM_GETLIMITTEXT), 11);
    expect_equal<long long>(program.send(sequence_field, EM_GETLIMITTEXT), 14);
    expect(is_checked(program, lpt1_radio), "LPT1 checked");
    for (const int id :
         {lpt2_radio, bus_width_check, auto_increment_address_check, auto_increment_sequence_check})
        expect(!is_checked(program, id), std::to_string(id) + " unchecked");

    exit_with_code_0(program);
    expect_equal(recorded_port_calls(), Trace{});
}

// The size and colours of each image in an icon resource ("32x32x8").
std::vector<std::string> icon_images(HMODULE module, int id) {
    const HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), RT_GROUP_ICON);
    const auto* group = found == nullptr
                            ? nullptr
                            : static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
    if (group == nullptr)
        return {};
    // A 6-byte header with the image count at offset 4, then 14 bytes per image: width,
    // height, colour count, reserved, planes (2 bytes), bits per pixel (2 bytes), ...
    std::vector<std::string> images;
    for (int i = 0; i < (group[4] | group[5] << 8); ++i) {
        const BYTE* image = group + 6 + 14 * i;
        images.push_back(std::to_string(image[0]) + "x" + std::to_string(image[1]) + "x" +
                         std::to_string(image[6] | image[7] << 8));
    }
    return images;
}

void resources_of_the_program() {
    const HMODULE module = LoadLibraryExW(L"lumivex.exe", nullptr, LOAD_LIBRARY_AS_DATAFILE);
    expect(module != nullptr, "lumivex.exe loads as data");
    expect_equal(icon_images(module, 10000), std::vector<std::string>{"32x32x8", "16x16x8"});
    expect_equal(icon_images(module, 10001), std::vector<std::string>{"32x32x8", "16x16x8"});
    expect(FindResourceW(module, MAKEINTRESOURCEW(control_dialog().resource_id), RT_DIALOG) !=
               nullptr,
           "dialog resource 102");
    FreeLibrary(module);

    DWORD ignored = 0;
    std::vector<BYTE> version(GetFileVersionInfoSizeW(L"lumivex.exe", &ignored));
    void* value = nullptr;
    UINT length = 0;
    expect(!version.empty() &&
               GetFileVersionInfoW(L"lumivex.exe", 0, static_cast<DWORD>(version.size()),
                                   version.data()) &&
               VerQueryValueW(version.data(), L"\\StringFileInfo\\040904E4\\FileVersion", &value,
                              &length),
           "a version resource with a file version");
    // The same version the dialog shows ("Version: c1.0.1").
    const auto shown =
        std::find_if(control_dialog().controls.begin(), control_dialog().controls.end(),
                     [](const ControlTemplate& c) { return c.id == 9900; })
            ->text;
    constexpr std::string_view label = "Version: ";
    expect(shown.starts_with(label), "control 9900 shows the version");
    if (value != nullptr)
        expect_equal(std::wstring(static_cast<const wchar_t*>(value)),
                     to_wide(shown.substr(label.size())));
}

void open_lpt1_then_lpt2() {
    RemoteProgram program;
    program.click(open_port_button);
    expect_equal(recorded_port_calls(), opened_lpt1);
    expect(is_pushed(program, open_port_button), "Open Port looks pressed");

    program.click(lpt2_radio);
    expect(is_checked(program, lpt2_radio) && !is_checked(program, lpt1_radio), "LPT2 chosen");
    program.click(open_port_button);
    const Trace opened_lpt2 =
        opened_lpt1 + closed_lpt1 + Trace{"OPENCOM LPT2:", "OUTPORT 278 00", "OUTPORT 27A 0B"};
    expect_equal(recorded_port_calls(), opened_lpt2);
    expect(is_pushed(program, open_port_button), "Open Port still looks pressed");

    exit_with_code_0(program);
    expect_equal(recorded_port_calls(),
                 opened_lpt2 + Trace{"OUTPORT 278 00", "INPORT 27A", "OUTPORT 27A 0B", "CLOSECOM"});
}

void close_twice() {
    RemoteProgram program;
    program.click(open_port_button);
    program.click(close_port_button);
    expect_equal(recorded_port_calls(), opened_lpt1 + closed_lpt1);
    expect(!is_pushed(program, open_port_button), "Open Port released");

    const SeenNotice notice = program.click_answering(close_port_button, IDOK);
    expect_notice(notice, L"Lumivex_Dilaog-Modul", L"Port war gar nicht geöffnet");
    expect(notice.owner == program.dialog(), "the dialog owns the message box");
    expect(IsWindowEnabled(program.dialog()), "the dialog takes input again");
    expect_equal(recorded_port_calls(), opened_lpt1 + closed_lpt1);

    exit_with_code_0(program);
    expect_equal(recorded_port_calls(), opened_lpt1 + closed_lpt1);
}

void exit_closes_the_open_port() {
    RemoteProgram program;
    program.click(open_port_button);
    exit_with_code_0(program);
    expect_equal(recorded_port_calls(), opened_lpt1 + closed_lpt1);
}

void init_on_four_bits() {
    RemoteProgram program;
    program.click(open_port_button);
    program.click(init_button);
    // Three 8-bit function sets and the switch to 4 bits, then every instruction as two nibbles:
    // function set 0x28, display off, clear, entry mode, cursor left, DDRAM 0, display on with
    // cursor and blink, return home.
    std::vector<BusPulse> expected;
    for (const int data : {0x30, 0x30, 0x30, 0x20})
        expected.push_back({0, 0, data});
    for (const int instruction : {0x28, 0x08, 0x01, 0x06, 0x10, 0x80, 0x0F, 0x02}) {
        expected.push_back({0, 0, instruction & 0xF0});
        expected.push_back({0, 0, instruction << 4 & 0xF0});
    }
    expect_equal(decode_pulses(recorded_port_calls()), expected);
    expect_equal(program.text(init_button), std::wstring(L"&Init. HD44"));
    exit_with_code_0(program);
}

// The display driver's notices: plain ones without an icon, and its one question.
void display_notices_and_the_eight_bit_question() {
    RemoteProgram program;
    const SeenNotice plain = program.click_answering(display_on_button, IDOK);
    expect_equal(plain.caption, std::wstring(L"Orvo_LPTio_HD44780-Modul"));
    expect_equal(plain.text, std::wstring(L"port not available"));
    expect(!plain.has_icon, "a plain message box has no icon");
    expect_equal(plain.buttons, std::vector<int>{IDOK});

    program.click(open_port_button);
    program.click(bus_width_check);
    const SeenNotice question = program.click_answering(init_button, IDNO);
    expect_equal(question.caption, std::wstring(L"Orvo_LPTio_HD44780-Modul"));
    expect_equal(question.text, std::wstring(L"8-bit-Bus?"));
    expect(!question.has_icon, "the question has no icon");
    expect_equal(question.buttons, std::vector<int>{IDYES, IDNO});
    expect(question.owner == nullptr && !question.dialog_enabled,
           "a task-modal question without owner");
    expect_equal(recorded_port_calls(), opened_lpt1);
    expect_equal(program.text(init_button), std::wstring(L"&Init. HD44"));

    program.click_answering(init_button, IDYES);
    // Three function sets, then function set 0x38 and the instructions as whole bytes.
    std::vector<BusPulse> expected{{0, 0, 0x30}, {0, 0, 0x30}, {0, 0, 0x30}};
    for (const int instruction : {0x38, 0x08, 0x01, 0x06, 0x10, 0x80, 0x0F, 0x02})
        expected.push_back({0, 0, instruction});
    expect_equal(decode_pulses(recorded_port_calls()), expected);
    exit_with_code_0(program);
}

void command_from_the_list() {
    RemoteProgram program;
    program.click(open_port_button);
    program.set_text(operand_field, L"1100 0000");
    program.send(command_list, CB_SHOWDROPDOWN, TRUE);
    program.send(command_list, CB_SETCURSEL, 3); // "Set DDRAM address"
    program.send(command_list, CB_SHOWDROPDOWN, FALSE);
    expect_equal<long long>(program.send(command_list, CB_GETCURSEL), 3);
    // 0x80 | 0xC0 on the 4-bit bus: high nibble, then low nibble.
    expect_equal(decode_pulses(recorded_port_calls()),
                 std::vector<BusPulse>{{0, 0, 0xC0}, {0, 0, 0x00}});
    exit_with_code_0(program);
}

void typing_opens_the_list() {
    RemoteProgram program;
    const HWND edit_field = FindWindowExW(program.control(command_list), nullptr, L"Edit", nullptr);
    expect(edit_field != nullptr, "the combo box has an edit field");
    program.send_to(edit_field, WM_CHAR, L'x', 1);
    expect_equal<long long>(program.send(command_list, CB_GETDROPPEDSTATE), TRUE);
    program.send(command_list, CB_SHOWDROPDOWN, FALSE);
    expect_equal(recorded_port_calls(), Trace{});
    exit_with_code_0(program);
}

void send_sequence_counts_up() {
    RemoteProgram program;
    program.click(open_port_button);
    program.click(auto_increment_sequence_check);
    expect(is_checked(program, auto_increment_sequence_check), "auto-increment checked");
    program.set_text(sequence_field, L"10 0100 0001");
    program.click(send_sequence_button);
    // Data write (RS 1) of 0x41 as two nibbles.
    expect_equal(decode_pulses(recorded_port_calls()),
                 std::vector<BusPulse>{{1, 0, 0x40}, {1, 0, 0x10}});
    expect_equal(program.text(sequence_field), std::wstring(L"10 0100 0010"));
    exit_with_code_0(program);
}

void bad_operand_sends_nothing() {
    RemoteProgram program;
    program.click(open_port_button);
    program.set_text(sequence_field, L"10 0100 00a1");
    const SeenNotice notice = program.click_answering(send_sequence_button, IDOK);
    expect_notice(notice, L"Modul Orvo_commonTools", L"Nur '1', '0' und Leerzeichen!");
    expect(notice.owner == nullptr, "a message box without owner");
    expect(IsWindowEnabled(program.dialog()), "the dialog takes input again");
    expect_equal(recorded_port_calls(), opened_lpt1);
    expect_equal(program.text(sequence_field), std::wstring(L"10 0100 00a1"));
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
    expect_notice(program.answer_notice(IDOK), L"Lumivex_Dilaog-Modul",
                  L"Port war gar nicht geöffnet");
    expect(IsWindowVisible(program.dialog()), "the dialog is still shown");
    expect_equal(recorded_port_calls(), Trace{});
    exit_with_code_0(program);
}

// The LED test as the port library sees it: DR saved, the running light, DR restored.
Trace led_test_of_lpt1() {
    struct Step {
        int dr; // -1: none written
        int ms;
    };
    const Step steps[] = {
        {0xFF, 400}, {0x00, 400}, {0xFF, 400}, {0x00, 400}, {0xAA, 400}, {0x55, 400}, {0xAA, 400},
        {0x55, 400}, {0x00, 0},   {0x01, 100}, {0x02, 100}, {0x04, 100}, {0x08, 100}, {0x10, 100},
        {0x20, 100}, {0x40, 100}, {0x80, 100}, {0x40, 100}, {0x20, 100}, {0x10, 100}, {0x08, 100},
        {0x04, 100}, {0x02, 100}, {0x00, 0},   {0x01, 100}, {0x03, 100}, {0x07, 100}, {0x0F, 100},
        {0x1F, 100}, {0x3F, 100}, {0x7F, 100}, {0xFF, 100}, {-1, 700},   {0x00, 400}, {0xFF, 400},
        {0x00, 400}, {0x00, 0},
    };
    Trace calls{"INPORT 378"};
    for (const Step& step : steps) {
        char line[32];
        if (step.dr >= 0) {
            std::snprintf(line, sizeof line, "OUTPORT 378 %02X", step.dr);
            calls.push_back(line);
        }
        if (step.ms > 0)
            calls.push_back("DELAY " + std::to_string(step.ms));
    }
    return calls;
}

// Throughout the LED test, with waits as long as a real port library's, the dialog answers
// what the system sends it within 500 ms; the test itself is as it was.
void answers_during_the_led_test() {
    RemoteProgram program;
    program.click(open_port_button);
    const ULONGLONG start = GetTickCount64();
    program.post(led_test_button, BM_CLICK);
    int answered = 0;
    int late = 0;
    ULONGLONG slowest = 0;
    for (bool started = false;;) {
        wchar_t text[32] = L"";
        DWORD_PTR ignored = 0;
        const ULONGLONG sent = GetTickCount64();
        const bool in_time =
            SendMessageTimeoutW(program.dialog(), WM_NULL, 0, 0, SMTO_NORMAL, 500, &ignored) &&
            SendMessageTimeoutW(program.control(led_test_button), WM_GETTEXT, 32,
                                reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 500, &ignored);
        slowest = std::max(slowest, GetTickCount64() - sent);
        ++(in_time ? answered : late);
        if (std::wstring(text) == L"busy...")
            started = true;
        else if (in_time && started)
            break;
        expect(GetTickCount64() - start < 20000, "the LED test ends");
        if (GetTickCount64() - start >= 20000)
            break;
    }
    std::cout << "LED test: " << GetTickCount64() - start << " ms (7300 ms of waits), " << answered
              << " answers, slowest " << slowest << " ms\n";
    expect_equal(late, 0);
    expect(answered > 20, "the dialog was asked throughout");
    expect_equal(recorded_port_calls(), opened_lpt1 + led_test_of_lpt1());
    exit_with_code_0(program);
}

// Started from a shortcut or a prompt elsewhere, the program finds drv\PORT.DLL beside it.
void started_from_another_folder() {
    CreateDirectoryW(L"elsewhere", nullptr);
    DeleteFileW(L"elsewhere\\port-calls.log");
    RemoteProgram program(L"elsewhere");
    program.click(open_port_button);
    expect_equal(recorded_port_calls("elsewhere"), opened_lpt1);
    exit_with_code_0(program);
    expect_equal(recorded_port_calls("elsewhere"), opened_lpt1 + closed_lpt1);
}

// Log-off or shutdown: the port is closed as at the program's end.
void end_of_session_closes_the_port() {
    RemoteProgram program;
    program.click(open_port_button);
    const HWND main_window = FindWindowW(L"Lumivex", L"Lumivex-Commands");
    expect(main_window != nullptr, "the hidden main window");
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(main_window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_NORMAL, 5000,
                        &ignored);
    SendMessageTimeoutW(main_window, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_NORMAL, 5000,
                        &ignored);
    expect_equal(program.wait_for_exit(), DWORD{0});
    expect_equal(recorded_port_calls(), opened_lpt1 + closed_lpt1);
}

void without_port_library() {
    expect(GetFileAttributesA("drv\\PORT.DLL") == INVALID_FILE_ATTRIBUTES,
           "this run folder has no drv\\PORT.DLL");
    RemoteProgram program;
    const SeenNotice notice = program.click_answering(open_port_button, IDOK);
    expect_notice(notice, L"Orvo_LPT-Port-Modul", L"Err1 - DLL-Error! - File not found!");
    expect(notice.owner == nullptr, "a message box without owner");
    expect(!is_pushed(program, open_port_button), "Open Port not pressed");
    exit_with_code_0(program);
}

// The simulated port's window of the program's process, or nullptr.
HWND bench_window(const RemoteProgram& program) {
    const HWND window = FindWindowW(L"LumivexBenchWindow", L"Lumivex bench");
    DWORD window_process = 0;
    DWORD program_process = 1;
    GetWindowThreadProcessId(window, &window_process);
    GetWindowThreadProcessId(program.dialog(), &program_process);
    return window_process == program_process ? window : nullptr;
}

// The shipped port library, the simulated port on the instant clock: its window comes and goes
// with the port, and the demo leaves its winking face, glyph 2, at DDRAM address 0.
void sim_port_plays_the_demo() {
    RemoteProgram program;
    expect(bench_window(program) == nullptr, "no bench window before Open Port");
    program.click(open_port_button);
    const HWND window = bench_window(program);
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
    {"dialog_follows_template", dialog_follows_template},
    {"resources_of_the_program", resources_of_the_program},
    {"open_lpt1_then_lpt2", open_lpt1_then_lpt2},
    {"close_twice", close_twice},
    {"exit_closes_the_open_port", exit_closes_the_open_port},
    {"init_on_four_bits", init_on_four_bits},
    {"display_notices_and_the_eight_bit_question", display_notices_and_the_eight_bit_question},
    {"command_from_the_list", command_from_the_list},
    {"typing_opens_the_list", typing_opens_the_list},
    {"send_sequence_counts_up", send_sequence_counts_up},
    {"bad_operand_sends_nothing", bad_operand_sends_nothing},
    {"enter_and_escape_do_nothing", enter_and_escape_do_nothing},
    {"answers_during_the_led_test", answers_during_the_led_test},
    {"started_from_another_folder", started_from_another_folder},
    {"end_of_session_closes_the_port", end_of_session_closes_the_port},
    {"without_port_library", without_port_library},
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
    std::cout << scenario->first << ": " << (failed_checks() == 0 ? "passed" : "FAILED") << "\n";
    return failed_checks() == 0 ? 0 : 1;
}
