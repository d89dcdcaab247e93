#include "drv/sim/settings.h"

#include "drv/sim/published_state.h"

#include <cstdlib>

namespace lumivex::sim {

namespace {

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

} // namespace

std::string setting_error(std::string_view variable, std::string_view value, std::string_view why) {
    std::string line = "lumivex sim: ";
    line.append(variable).append(" \"").append(value).append("\": ").append(why);
    return line;
}

std::optional<Settings> read_settings(std::string& error) {
    Settings settings;
    const std::string panel = environment(panel_variable);
    const std::string clock = environment(clock_variable);
    settings.state_name = published_state_name();
    settings.vcd_path = environment(vcd_variable);
    if (!panel.empty()) {
        const std::optional<Panel> named = panel_named(panel);
        if (!named) {
            error = setting_error(panel_variable, panel, "not a panel; accepted: " + panel_names());
            return std::nullopt;
        }
        settings.panel = *named;
    }
    if (clock == "instant")
        settings.clock = Clock::Mode::instant;
    else if (!clock.empty() && clock != "real") {
        error = setting_error(clock_variable, clock, "not a clock; accepted: instant, real");
        return std::nullopt;
    }
    if (const std::string problem = state_name_problem(settings.state_name); !problem.empty()) {
        error = setting_error(state_name_variable, settings.state_name, problem);
        return std::nullopt;
    }
    return settings;
}

} // namespace lumivex::sim
