#include "drv/sim/lcd_dots.h"

namespace lumivex::sim {

namespace {

std::uint8_t glyph_row(const Hd44780State& display, const CharacterRom& rom, std::uint8_t code,
                       int row) {
    if (code < 0x10)
        return display.cgram[static_cast<std::size_t>(cgram_address(display.font_5x10, code, row))];
    return row < 10 ? rom[code][static_cast<std::size_t>(row)] : 0;
}

} // namespace

int shown_address(const Panel& panel, const Hd44780State& display, int row, int column) {
    if (row < 0 || row >= panel.rows || row >= 4 || column < 0 || column >= panel.columns)
        return -1;
    const int start = panel.row_start[static_cast<std::size_t>(row)];
    const bool second_line = start >= 0x40;
    const int along_line = (start & 0x3F) + column + display.display_shift;
    if (!display.two_lines)
        return second_line ? -1 : along_line % 80;
    return (second_line ? 0x40 : 0x00) + along_line % 40;
}

bool dot_on(const Panel& panel, const Hd44780State& display, bool block_shown, int row, int column,
            int dot_row, int dot_column, const CharacterRom& rom) {
    const int height = glyph_height(display.font_5x10);
    if (!display.display_on || dot_row < 0 || dot_row >= height)
        return false;
    const int address = shown_address(panel, display, row, column);
    if (address < 0)
        return false;
    const bool at_cursor = !display.address_in_cgram && address == display.address_counter;
    if (at_cursor && display.blink_on && block_shown)
        return true;
    if (at_cursor && display.cursor_on && dot_row == height - 1)
        return true;
    const std::uint8_t dots =
        glyph_row(display, rom, display.ddram[static_cast<std::size_t>(address)], dot_row);
    return ((dots >> (4 - dot_column)) & 1) != 0;
}

} // namespace lumivex::sim
