#pragma once

#include "drv/common/config_file.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace lumivex::i2c {

// A PCF8574 I2C backpack: where it sits and which of its pins P0..P7 carries which of the
// display's signals. The display hangs on it with a 4-bit bus.
struct Backpack {
    std::string bus = "/dev/i2c-1";
    unsigned address = 0x27; // 0x3F for a PCF8574A
    unsigned rs = 0;
    unsigned rw = 1;
    unsigned e = 2;
    unsigned backlight = 3;
    std::array<unsigned, 4> data = {4, 5, 6, 7}; // D4..D7
    bool light = true;                           // the backlight pin's level
    bool operator==(const Backpack&) const = default;
};

// LPT1's backpack, and LPT2's when one is configured.
using Backpacks = drv::PortConfigs<Backpack>;

// Reads a configuration: "bus = ..." (a path, a name under /dev, or the bus number N of
// /dev/i2c-N, in decimal or with 0x hexadecimal), "address = ...", a pin 0..7 (or P0..P7) for each
// of rs, rw, e, backlight and d4..d7, and "light = on|off", under [LPT1] (the default section) and
// [LPT2]. A section starts from the common backpack (the defaults of Backpack) and changes what it
// names; LPT2 exists only with a section. On a fault: nothing, and `error` says what is wrong, with
// the line number where a line is at fault.
std::optional<Backpacks> parse_backpacks(std::string_view text, std::string& error);

// The backpacks from the file LUMIVEX_I2C_CONF names, else the user's i2c.conf, else the default
// beside the port library (drv::read_config); the common backpack for LPT1 when there is no such
// file. On a fault: nothing, and `error` is
// the line for standard error.
std::optional<Backpacks> load_backpacks(std::string& error);

} // namespace lumivex::i2c
