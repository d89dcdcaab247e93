#pragma once

#include <array>
#include <cstdint>

namespace lumivex::sim {

// One character pattern of ten rows, row 0 (top) first, bit 4 the leftmost dot. The 5x8 font
// shows rows 0 to 7, the 5x10 font all ten.
using Glyph = std::array<std::uint8_t, 10>;

// A character generator ROM: a pattern for every code.
using CharacterRom = std::array<Glyph, 256>;

// The HD44780's character generator ROM A00 (Japanese standard font). Codes 0x20-0xDF are 5x8
// patterns (rows 8 and 9 dark), codes 0xE0-0xFF 5x10 patterns, of which the 5x8 font shows the
// top eight rows. Codes below 0x10 address the CGRAM instead; codes 0x00-0x1F, 0x80-0xA0 and
// 0xFE are blank here.
const CharacterRom& character_rom();

} // namespace lumivex::sim
