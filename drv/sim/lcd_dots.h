#pragma once

#include "drv/sim/character_rom.h"
#include "drv/sim/hd44780_model.h"
#include "drv/sim/panel.h"

#include <cstdint>

namespace lumivex::sim {

// What a panel shows of its controller: the window of the Windows port library draws the model
// at hand with these, lumivex-bench the controller of the published block.

// The dot rows of a character cell: 8 in the 5x8 font, 11 in the 5x10 font. The last row is
// the cursor's.
constexpr int glyph_height(bool font_5x10) {
    return font_5x10 ? 11 : 8;
}

// The CGRAM address a row of a CGRAM character (code below 0x10) shows: eight glyphs of 8 rows
// in the 5x8 font, four at steps of 16 addresses in the 5x10 font, where codes 2n and 2n+1
// show the same glyph.
constexpr int cgram_address(bool font_5x10, std::uint8_t code, int row) {
    return font_5x10 ? (code >> 1 & 0x03) * 16 + row : (code & 0x07) * 8 + row;
}

// The DDRAM address shown at a row and column of the panel, or -1 where nothing is shown (off
// the panel, or a second-line row while the controller drives one line).
int shown_address(const Panel& panel, const Hd44780State& display, int row, int column);

// Whether a dot of the cell at row, column is dark: the character's pattern (from rom, or from
// CGRAM), the cursor on its last dot row, the blinking block while block_shown; none while the
// display is off.
bool dot_on(const Panel& panel, const Hd44780State& display, bool block_shown, int row, int column,
            int dot_row, int dot_column, const CharacterRom& rom = character_rom());

// The blink phase at a time in milliseconds: the block shows in every other 409.6 ms.
inline bool blink_block_shown(std::uint64_t ms) {
    return (ms * 10 / 4096) % 2 == 0;
}

} // namespace lumivex::sim
