#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace lumivex::sim {

// The glass behind the controller: its size and the DDRAM address each row starts at when the
// display is not shifted.
struct Panel {
    std::uint8_t columns;
    std::uint8_t rows;
    std::array<std::uint8_t, 4> row_start;
    bool operator==(const Panel&) const = default;
};

inline constexpr Panel default_panel{16, 2, {0x00, 0x40, 0x00, 0x00}};

// One of the panels sold with an HD44780, by its name as "20x4"; nothing for any other text.
std::optional<Panel> panel_named(std::string_view name);
// Every name panel_named knows, as "8x1, 16x1, ..., 40x2".
std::string panel_names();

} // namespace lumivex::sim
