// The simulated port's state as its port library publishes it in POSIX shared memory, for
// viewers. The name of the shared-memory object is taken from the environment variable
// LUMIVEX_SIM_STATE, by default "/lumivex-sim-<uid>"; the object stays after the port closes,
// showing the last state with base_address 0.
//
// Nobody maps the object: anyone may truncate it, and a mapping would then fault. The library
// keeps the state in its own memory and writes it with pwrite on every port access, while it
// holds open-file-description locks on byte 0 (one writer per block) and on byte 1 + its
// process id (so that a second writer can name the first). sequence is odd while it writes: a
// viewer reads it, then the block, then it again with pread, and keeps the copy when both
// reads gave the same even number. A block of any other size is not a state block.
#pragma once

#include "drv/sim/lcd_dots.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <pwd.h>
#include <string>
#include <sys/stat.h>
#include <type_traits>
#include <unistd.h>

namespace lumivex::sim {

inline constexpr const char* state_name_variable = "LUMIVEX_SIM_STATE";

// The shared-memory name the port library and its viewers use: $LUMIVEX_SIM_STATE, or
// "/lumivex-sim-<uid>".
inline std::string published_state_name() {
    const char* name = std::getenv(state_name_variable);
    if (name != nullptr && name[0] != '\0')
        return name;
    return "/lumivex-sim-" + std::to_string(getuid());
}

// Why a name is not a portable shared-memory name; empty when it is one.
inline std::string state_name_problem(const std::string& name) {
    if (name.empty() || name[0] != '/')
        return "a shared-memory name starts with \"/\"";
    if (name.size() == 1)
        return "a shared-memory name has characters after its \"/\"";
    if (name.find('/', 1) != std::string::npos)
        return "a shared-memory name has no \"/\" after its first";
    if (name.size() - 1 > NAME_MAX)
        return "a shared-memory name has at most " + std::to_string(NAME_MAX) +
               " characters after its \"/\"";
    return {};
}

// Why this process must neither write nor read an object with this status: another user's,
// or not a plain file. Empty when it may.
inline std::string block_owner_problem(const struct stat& info) {
    if (!S_ISREG(info.st_mode))
        return "it is not a shared-memory block";
    if (info.st_uid == geteuid())
        return {};
    const passwd* user = getpwuid(info.st_uid);
    return "the block belongs to user " + std::string(user != nullptr ? user->pw_name : "?") +
           " (uid " + std::to_string(info.st_uid) + "), not to you";
}

// Why shm_open of a block failed with error: whose it is when access was denied.
inline std::string open_problem(const std::string& name, int error) {
    struct stat info {};
    if (error == EACCES && stat(("/dev/shm" + name).c_str(), &info) == 0 &&
        !block_owner_problem(info).empty())
        return block_owner_problem(info);
    return std::strerror(error);
}

inline constexpr std::uint32_t published_state_magic = 0x6D69734C; // "Lsim" in memory
inline constexpr std::uint32_t published_state_version = 2;
inline constexpr std::size_t bus_event_capacity = 4096;

enum BusEventKind : std::uint8_t { port_write = 0, port_read = 1 };

// One OUTPORT or INPORT at the open port.
struct BusEvent {
    std::uint64_t time_us; // on the port's clock (virtual in instant mode), from OPENCOM
    std::uint8_t offset;   // from the base address: 0 DR, 1 SR, 2 CR
    std::uint8_t value;    // written or read
    std::uint8_t kind;     // BusEventKind
    std::uint8_t reserved[5];
};

// The HD44780. Flags are 0 or 1.
struct PublishedDisplay {
    std::uint8_t ddram[128]; // by DDRAM address
    std::uint8_t cgram[64];  // bit 4 the leftmost dot
    std::uint8_t address_counter;
    std::uint8_t address_in_cgram; // the address counter points into CGRAM, not DDRAM
    std::uint8_t display_shift;    // characters the display has moved left, within a line
    std::uint8_t instruction_register;
    std::uint8_t data_register;
    std::uint8_t display_on;
    std::uint8_t cursor_on;
    std::uint8_t blink_on;
    std::uint8_t increment;           // entry mode I/D
    std::uint8_t shift_on_write;      // entry mode S
    std::uint8_t eight_bit_interface; // function set DL
    std::uint8_t two_lines;           // function set N
    std::uint8_t font_5x10;           // 5x10 dots: function set F with N = 0
    std::uint8_t low_nibble_next;     // 4-bit interface: half a byte has been transferred
    std::uint8_t busy;                // busy flag at time_us
    std::uint8_t reserved;
    std::uint64_t busy_until_us;
};

struct PublishedState {
    std::uint32_t magic; // published_state_magic
    std::uint32_t version;
    std::uint32_t size;     // sizeof(PublishedState)
    std::uint32_t sequence; // odd while being written
    std::uint64_t time_us;  // of the last update, on the port's clock

    std::uint16_t base_address; // the open port's base address, 0 when closed
    std::uint8_t columns;       // the panel
    std::uint8_t rows;
    std::uint8_t row_start[4]; // DDRAM address of each row's first character, unshifted

    // The port's registers as INPORT reads them, the LEDs and the display's data lines.
    std::uint8_t data_register;
    std::uint8_t status_register;
    std::uint8_t control_register;
    std::uint8_t leds; // bit 0 is LED 0
    std::uint8_t data_lines;
    std::uint8_t reserved[3];

    std::uint64_t e_pulses;
    std::uint64_t timing_violations; // display transfers that arrived while it was busy
    std::uint64_t events_total; // port accesses so far; the next goes to events_total % capacity

    PublishedDisplay display;
    CharacterRom character_rom; // ten rows a code; codes 0x00-0x0F use CGRAM
    BusEvent events[bus_event_capacity];
};

static_assert(std::is_standard_layout_v<PublishedState> &&
              std::is_trivially_copyable_v<PublishedState>);
static_assert(sizeof(BusEvent) == 16);
static_assert(sizeof(PublishedDisplay) == 216);
static_assert(offsetof(PublishedState, display) == 64);
static_assert(offsetof(PublishedState, events) == 2840);
static_assert(sizeof(PublishedState) == 68376);

// Whether an object of object_size bytes starting with this header holds a block of this
// layout.
inline bool is_valid(const PublishedState& state, std::size_t object_size) {
    return object_size == sizeof(PublishedState) && state.magic == published_state_magic &&
           state.version == published_state_version && state.size == sizeof(PublishedState);
}

// The panel and the controller as the block shows them, to draw with lcd_dots.h.
inline Panel published_panel(const PublishedState& state) {
    return {state.columns,
            state.rows,
            {state.row_start[0], state.row_start[1], state.row_start[2], state.row_start[3]}};
}
inline Hd44780State published_display(const PublishedDisplay& published) {
    Hd44780State display;
    std::copy(std::begin(published.ddram), std::end(published.ddram), display.ddram.begin());
    std::copy(std::begin(published.cgram), std::end(published.cgram), display.cgram.begin());
    display.instruction_register = published.instruction_register;
    display.data_register = published.data_register;
    display.address_counter = published.address_counter;
    display.address_in_cgram = published.address_in_cgram != 0;
    display.display_shift = published.display_shift;
    display.increment = published.increment != 0;
    display.shift_on_write = published.shift_on_write != 0;
    display.display_on = published.display_on != 0;
    display.cursor_on = published.cursor_on != 0;
    display.blink_on = published.blink_on != 0;
    display.eight_bit_interface = published.eight_bit_interface != 0;
    display.two_lines = published.two_lines != 0;
    display.font_5x10 = published.font_5x10 != 0;
    display.low_nibble_next = published.low_nibble_next != 0;
    display.busy_until_us = published.busy_until_us;
    return display;
}

} // namespace lumivex::sim
