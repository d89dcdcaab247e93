#include "port/port_module.h"

#include "app/notice.h"
#include "app/run_folder.h"
#include "port/port_library.h"
#include "port/port_registers.h"

#include <array>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace lumivex::port {

namespace {

constexpr const char* caption = "Orvo_LPT-Port-Modul";

using lpt::control_register;
using lpt::data_register;

// The loaded library with all six entries found and its device open.
struct OpenDevice {
    LibraryHandle library;
    int base;
    PortOpencom opencom;
    PortClosecom closecom;
    PortDelay delay;
    PortDelayus delayus;
    PortInport inport;
    PortOutport outport;
};

LibraryLoader* loader = &system_library_loader();
std::string library_path = port_library_path;
bool library_in_run_folder = true;
std::optional<OpenDevice> device;
void (*wait_hook)() = nullptr;
WaitRunner wait_runner = nullptr;

void notice(const char* text) {
    app::show_notice(app::NoticeOwner::main_window, text, caption, app::NoticeKind::error);
}

void close_device() {
    device->outport(device->base + data_register, 0);
    const int control = device->inport(device->base + control_register);
    device->outport(device->base + control_register, lpt::with_idle_control_lines(control));
    device->closecom();
    loader->release(device->library);
    device.reset();
}

// One wait of the port library's, through the front end's runner when it has one.
template <typename Entry> void perform_wait(Entry entry, int amount, long long length_us) {
    struct Pending {
        Entry entry;
        int amount;
    } pending{entry, amount};
    if (wait_runner == nullptr)
        entry(amount);
    else
        wait_runner(
            length_us,
            [](void* context) {
                auto* wait = static_cast<Pending*>(context);
                wait->entry(wait->amount);
            },
            &pending);
    if (wait_hook != nullptr)
        wait_hook();
}

// Loads the chosen port library, from the run folder unless it was chosen by its path. When that
// fails, reason is the loader's reason for the path where the file is (the one worth telling),
// else for the last path tried.
LibraryHandle load_library(std::string& reason) {
    const std::vector<std::string> paths = library_in_run_folder
                                               ? app::run_folder_paths(library_path)
                                               : std::vector<std::string>{library_path};
    const std::string present =
        library_in_run_folder ? app::find_in_run_folder(library_path) : library_path;
    for (const std::string& path : paths) {
        if (LibraryHandle library = loader->load(path.c_str()))
            return library;
        if (path == present)
            reason = loader->last_error();
    }
    return nullptr;
}

// Drops the first bytes of a UTF-8 character whose last ones were cut off.
void drop_cut_character(std::string& text) {
    const auto byte = [&text](std::size_t at) { return static_cast<unsigned char>(text[at]); };
    std::size_t lead = text.size();
    while (lead > 0 && text.size() - lead < 3 && (byte(lead - 1) & 0xC0) == 0x80)
        --lead;
    if (lead-- == 0)
        return;
    const std::size_t needed = byte(lead) >= 0xF0 ? 4 : byte(lead) >= 0xE0 ? 3 : 2;
    if (byte(lead) >= 0xC0 && text.size() - lead < needed)
        text.erase(lead);
}

// What the library's LASTERROR, if it has one, says about its last failure; empty otherwise.
// A longer reason is cut at a character's start; a line break a library may add is dropped.
std::string library_reason(LibrarySymbol lasterror) {
    std::array<char, 1024> buffer{};
    const int32_t length = lasterror == nullptr
                               ? 0
                               : reinterpret_cast<PortLasterror>(lasterror)(
                                     buffer.data(), static_cast<int32_t>(buffer.size()));
    if (length <= 0)
        return {};
    buffer.back() = '\0';
    std::string reason(buffer.data());
    if (static_cast<std::size_t>(length) > reason.size())
        drop_cut_character(reason);
    reason.erase(reason.find_last_not_of(" \r\n") + 1);
    return reason;
}

// A notice's own text, then the reason on a line of its own when there is one.
std::string with_reason(const char* text, const std::string& reason) {
    return reason.empty() ? std::string(text) : text + ("\n" + reason);
}

// Releases a library whose open failed and reports why.
int fail_open(LibraryHandle library, int status, const char* text) {
    loader->release(library);
    if (text != nullptr)
        notice(text);
    return status;
}

} // namespace

void use_library_loader(LibraryLoader& replacement) {
    loader = &replacement;
}

void use_port_library(std::string path, bool in_run_folder) {
    library_path = std::move(path);
    library_in_run_folder = in_run_folder;
}

int open_port(int base) {
    if (device)
        close_device();

    std::string load_reason;
    LibraryHandle library = load_library(load_reason);
    if (library == nullptr) {
        notice(with_reason("Err1 - DLL-Error! - File not found!", load_reason).c_str());
        return library_missing;
    }
    // Looked up in this order; the first one missing decides the status (201..206).
    constexpr std::array<const char*, 6> names{"OPENCOM", "CLOSECOM", "DELAY",
                                               "DELAYUS", "INPORT",   "OUTPORT"};
    std::array<LibrarySymbol, names.size()> entries{};
    for (std::size_t i = 0; i < names.size(); ++i)
        entries[i] = loader->find(library, names[i]);
    for (std::size_t i = 0; i < names.size(); ++i)
        if (entries[i] == nullptr)
            return fail_open(library, opencom_missing + static_cast<int>(i), nullptr);
    const LibrarySymbol lasterror = loader->find(library, "LASTERROR"); // optional
    const OpenDevice opened_device{
        library,
        base,
        reinterpret_cast<PortOpencom>(entries[0]),
        reinterpret_cast<PortClosecom>(entries[1]),
        reinterpret_cast<PortDelay>(entries[2]),
        reinterpret_cast<PortDelayus>(entries[3]),
        reinterpret_cast<PortInport>(entries[4]),
        reinterpret_cast<PortOutport>(entries[5]),
    };

    const char* device_name;
    const char* failure_text;
    if (base == lpt::lpt2_base_address) {
        device_name = lpt::lpt2_device_name.data();
        failure_text = "Err3 - Can't open LPT2!";
    } else if (base == lpt::lpt1_base_address) {
        device_name = lpt::lpt1_device_name.data();
        failure_text = "Err3 - Can't open LPT1!";
    } else {
        return fail_open(library, base_not_defined, "Err31 - BA n.def.");
    }
    if (opened_device.opencom(device_name) == 0)
        return fail_open(library, device_not_opened,
                         with_reason(failure_text, library_reason(lasterror)).c_str());

    opened_device.outport(base + data_register, 0);
    opened_device.outport(base + control_register, lpt::control_idle);
    device = opened_device;
    return opened;
}

int close_port(int base) {
    if (base == 0 || !device)
        return -1;
    close_device();
    return 0;
}

void set_wait_hook(void (*hook)()) {
    wait_hook = hook;
}

void set_wait_runner(WaitRunner runner) {
    wait_runner = runner;
}

void wait_ms(int ms) {
    if (!device) {
        notice("Time-Err - Must open Port!");
        return;
    }
    perform_wait(device->delay, ms, ms * 1000LL);
}

void wait_us(int us) {
    if (!device) {
        notice("Time-ErrU - Must open Port!");
        return;
    }
    perform_wait(device->delayus, us, us);
}

// Register addresses are base + 0..2, so with base 0 (no port) every one of them is 2 or less.
int port_in(int address) {
    if (address > 2 && device)
        return device->inport(address) & 0xFF;
    notice("Err - No Port open!");
    return -1;
}

void port_out(int address, int value) {
    if (address > 2 && value != -1 && device)
        device->outport(address, value);
    else
        notice("Err - No Port open or wrong value!");
}

int run_led_test(int base) {
    if (base <= 2 || !device)
        return -1;
    const auto show = [base](int pattern, int ms) {
        port_out(base + data_register, pattern);
        if (ms > 0)
            wait_ms(ms);
    };
    const int saved = port_in(base + data_register);
    for (int i = 0; i < 2; ++i) {
        show(saved ^ 0xFF, 400);
        show(saved, 400);
    }
    for (int i = 0; i < 2; ++i) {
        show(0xAA, 400);
        show(0x55, 400);
    }
    show(0x00, 0);
    for (int k = 0; k <= 7; ++k)
        show(1 << k, 100);
    for (int k = 6; k >= 1; --k)
        show(1 << k, 100);
    show(0x00, 0);
    for (int k = 0; k <= 7; ++k)
        show((2 << k) - 1, 100);
    wait_ms(700);
    show(0x00, 400);
    show(0xFF, 400);
    show(0x00, 400);
    show(saved, 0);
    return 0;
}

int set_data_direction(int base, int flag) {
    if (base <= 2 || !device)
        return -1;
    const int control = device->inport(base + control_register);
    device->outport(base + control_register, flag != 0 ? control | lpt::control_data_input
                                                       : control & ~lpt::control_data_input & 0xFF);
    return 0;
}

} // namespace lumivex::port
