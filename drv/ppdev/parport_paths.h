#pragma once

#include "drv/common/config_file.h"

#include <optional>
#include <string>
#include <string_view>

namespace lumivex::ppdev {

// The ppdev device of LPT1 and of LPT2.
using ParportPaths = drv::PortConfigs<std::string>;

// /dev/parport0 for LPT1, /dev/parport1 for LPT2.
ParportPaths builtin_parport_paths();

// Reads a configuration: "device = ..." (a path, or a name under /dev) under [LPT1] (the default
// section) and [LPT2]; a port without one keeps its built-in device. On a fault: nothing, and
// `error` says what is wrong, with the line number.
std::optional<ParportPaths> parse_parport_paths(std::string_view text, std::string& error);

// The devices from the file LUMIVEX_PPDEV_CONF names, else the user's ppdev.conf, else the
// default beside the port library (drv::read_config); the built-in ones when there is no such
// file. On a fault: nothing, and `error` is the line for standard error.
std::optional<ParportPaths> load_parport_paths(std::string& error);

} // namespace lumivex::ppdev
