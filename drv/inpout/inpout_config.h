#pragma once

#include "drv/common/config_file.h"

#include <optional>
#include <string>
#include <string_view>

namespace lumivex::inpout {

// Where a port's registers really are: DR at the base, SR and CR after it.
struct PortBase {
    unsigned base = 0; // 0: not given
    bool operator==(const PortBase&) const = default;
};

using PortBases = drv::PortConfigs<PortBase>;

// Reads "base = <address>" under [LPT1] (the default section) and [LPT2], in decimal or with
// 0x in hexadecimal. Without it LPT1 is at 0x378 and LPT2 at 0x278, where PCs have them. On a
// fault: nothing, and `error` says what is wrong, with the line number where a line is at
// fault.
std::optional<PortBases> parse_bases(std::string_view text, std::string& error);

// The bases from the file LUMIVEX_INPOUT_CONF names, else the user's inpout.conf, else the
// default beside the port library (drv::read_config); the PC's own without such a file. On a
// fault: nothing, and `error` is the line for standard error.
std::optional<PortBases> load_bases(std::string& error);

} // namespace lumivex::inpout
