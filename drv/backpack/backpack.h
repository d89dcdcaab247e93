#pragma once

#include "drv/common/config_file.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace lumivex::backpack {

class I2cDevice;

// A PCF8574 I2C backpack: the bus it hangs on, its address and which of its pins P0..P7 carries
// which of the display's signals. The display hangs on it with a 4-bit bus.
struct Backpack {
    std::string bus = "/dev/i2c-1"; // as the library's device opens it
    unsigned address = 0x27;        // 0x3F for a PCF8574A
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

// What a port library hangs its backpacks on (the kernel's I2C bus, a USB bridge): how its
// configuration names the bus, and how the failures of its device are told.
struct BackpackBus {
    std::string_view library;  // names the failure lines and the file <library>.conf
    const char* conf_variable; // the environment variable that names another file
    std::string_view key;      // the configuration key that names the bus
    std::string fallback;      // the bus while no key names one
    // Sets `bus` to what `value` (of the key) names; else returns what is wrong with it.
    std::string (*parse)(const std::string& value, std::string& bus);
    // What failure lines call the bus.
    std::string (*subject)(const std::string& bus);
    // Why the bus did not open (errno value `error`), with `source.cure()` where other
    // settings may help.
    std::string (*open_failure)(int error, const drv::ConfigSource& source);
    // What follows "no device answers at <the backpack's address>": where to see the addresses
    // that do. It may ask the open bus (`descriptor`), which is closed after it.
    std::string (*no_answer_hint)(I2cDevice& device, int descriptor, const Backpack& backpack);
};

// "0x27"
std::string hex_address(unsigned address);

// Reads a configuration: the bus (`bus.key`), "address = ...", a pin 0..7 (or P0..P7) for each
// of rs, rw, e, backlight and d4..d7, and "light = on|off", under [LPT1] (the default section)
// and [LPT2]. A section starts from the common backpack (the defaults of Backpack, on
// `bus.fallback`) and changes what it names; LPT2 exists only with a section. On a fault:
// nothing, and `error` says what is wrong, with the line number where a line is at fault.
std::optional<Backpacks> parse_backpacks(std::string_view text, const BackpackBus& bus,
                                         std::string& error);

// The backpacks from the file `bus.conf_variable` names, else the user's <library>.conf, else
// the default beside the port library (drv::read_config); the common backpack for LPT1 when
// there is no such file. On a fault: nothing, and `error` is the line for standard error.
std::optional<Backpacks> load_backpacks(const BackpackBus& bus, std::string& error);

} // namespace lumivex::backpack
