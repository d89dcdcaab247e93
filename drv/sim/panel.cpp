#include "drv/sim/panel.h"

namespace lumivex::sim {

namespace {

struct NamedPanel {
    std::string_view name;
    Panel panel;
};

// A 16x1 panel here is one line of 16 (addresses 0x00-0x0F). Four-row panels are two lines of
// the controller folded: rows 2 and 3 continue rows 0 and 1.
constexpr NamedPanel panels[] = {
    {"8x1", {8, 1, {0x00, 0x00, 0x00, 0x00}}},   {"16x1", {16, 1, {0x00, 0x00, 0x00, 0x00}}},
    {"16x2", {16, 2, {0x00, 0x40, 0x00, 0x00}}}, {"16x4", {16, 4, {0x00, 0x40, 0x10, 0x50}}},
    {"20x2", {20, 2, {0x00, 0x40, 0x00, 0x00}}}, {"20x4", {20, 4, {0x00, 0x40, 0x14, 0x54}}},
    {"24x2", {24, 2, {0x00, 0x40, 0x00, 0x00}}}, {"40x2", {40, 2, {0x00, 0x40, 0x00, 0x00}}},
};

} // namespace

std::optional<Panel> panel_named(std::string_view name) {
    for (const NamedPanel& entry : panels)
        if (entry.name == name)
            return entry.panel;
    return std::nullopt;
}

std::string panel_names() {
    std::string names;
    for (const NamedPanel& entry : panels)
        names.append(names.empty() ? "" : ", ").append(entry.name);
    return names;
}

} // namespace lumivex::sim
