#pragma once

#include "drv/common/config_file.h"

#include <array>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace lumivex::gpio {

using LineOffset = std::optional<unsigned>; // a line of the chip; none: not connected

// Where the display and the LEDs sit on one GPIO chip.
struct Wiring {
    std::string chip = "/dev/gpiochip0";
    LineOffset rs;
    LineOffset rw; // none: R/W tied to ground, the display is only written
    LineOffset e;
    std::array<LineOffset, 8> data; // D0..D7; a 4-bit wiring leaves D0..D3 out
    std::array<LineOffset, 8> leds; // LED 0..7 on lines of their own; none: they sit on D0..D7
    std::map<std::string, int> config_lines; // the file's line of each signal it gives, by key
    bool operator==(const Wiring&) const = default;
};

// LPT1's wiring, and LPT2's when one is configured.
using Wirings = drv::PortConfigs<Wiring>;

// On the Raspberry Pi's 40-pin header, /dev/gpiochip0, by GPIO number (header pin): RS 17 (11),
// R/W 27 (13), E 22 (15), D0..D3 5, 6, 13, 19 (29, 31, 33, 35), D4..D7 12, 16, 20, 21 (32, 36,
// 38, 40). It leaves the I2C, SPI and serial pins free.
Wiring raspberry_pi_wiring();

// Reads a configuration: "chip = ..." and a line number for each of rs, rw, e, d0..d7 and
// led0..led7, under [LPT1] (the default section) and [LPT2]. A section with entries gives its
// whole wiring (signals it leaves out are not connected); without entries LPT1 keeps the
// Raspberry Pi wiring and LPT2 has none. On a fault: nothing, and `error` says what is wrong,
// with the line number where a line is at fault.
std::optional<Wirings> parse_wirings(std::string_view text, std::string& error);

// The wirings from the file LUMIVEX_GPIO_CONF names, else the user's gpio.conf, else the default
// beside the port library (drv::read_config); the Raspberry Pi wiring for LPT1 when there is no
// such file. On a fault: nothing, and `error` is the line for standard error.
std::optional<Wirings> load_wirings(std::string& error);

} // namespace lumivex::gpio
