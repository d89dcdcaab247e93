#pragma once

#include <array>
#include <cstdint>

namespace lumivex::sim {

// One 5x8 character pattern, row 0 (top) first, bit 4 the leftmost dot.
using Glyph = std::array<std::uint8_t, 8>;

// The HD44780's character generator ROM A00 (Japanese standard font) in 5x8 dots. Codes below
// 0x10 address the CGRAM instead; codes 0x10-0x1F, 0x80-0xA0 and 0xFE are blank.
const Glyph& rom_glyph(std::uint8_t code);

} // namespace lumivex::sim
