#pragma once

#include "drv/common/config_file.h"

#include <optional>
#include <string>
#include <string_view>

namespace lumivex::serial {

// Which serial device the board running the Lumivex sketch is on.
struct BoardDevice {
    std::string name; // "/dev/ttyACM0", "COM3"; empty: the first board that answers
    bool operator==(const BoardDevice&) const = default;
};

// LPT1's board, and LPT2's when one is configured.
using BoardDevices = drv::PortConfigs<BoardDevice>;

// Reads a configuration: "device = ..." (a path, a name under /dev, a COM port, or auto) under
// [LPT1] (the default section) and [LPT2]. LPT1 finds its board by itself unless told; LPT2
// exists only with a section. On a fault: nothing, and `error` says what is wrong.
std::optional<BoardDevices> parse_board_devices(std::string_view text, std::string& error);

// The devices from the file LUMIVEX_SERIAL_CONF names, else the user's serial.conf, else the
// default beside the port library (drv::read_config); auto for LPT1 when there is no such file.
// On a fault: nothing, and `error` is the line for standard error.
std::optional<BoardDevices> load_board_devices(std::string& error);

} // namespace lumivex::serial
