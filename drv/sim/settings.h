#pragma once

#include "drv/sim/clock.h"
#include "drv/sim/panel.h"

#include <optional>
#include <string>
#include <string_view>

namespace lumivex::sim {

// What OPENCOM reads from the environment. An unset or empty variable takes its default.
struct Settings {
    Panel panel = default_panel;           // LUMIVEX_SIM_PANEL
    Clock::Mode clock = Clock::Mode::real; // LUMIVEX_SIM_CLOCK
    std::string state_name;                // LUMIVEX_SIM_STATE, see published_state_name
    std::string vcd_path;                  // LUMIVEX_SIM_VCD; empty: no recording
};

inline constexpr const char* panel_variable = "LUMIVEX_SIM_PANEL";
inline constexpr const char* clock_variable = "LUMIVEX_SIM_CLOCK";
inline constexpr const char* vcd_variable = "LUMIVEX_SIM_VCD";

// The settings; nothing for a value that is not accepted, with error set to the line for
// standard error.
std::optional<Settings> read_settings(std::string& error);

// The one line that says why a setting stops the port: the variable, its value and why.
std::string setting_error(std::string_view variable, std::string_view value, std::string_view why);

} // namespace lumivex::sim
