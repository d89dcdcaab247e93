// What a viewer draws from the published block, with lcd_dots.h as the model at hand is drawn:
// the panel's addresses and the glyphs.
#include "drv/sim/panel.h"
#include "drv/sim/published_state.h"

#include <gtest/gtest.h>
#include <memory>

using namespace lumivex::sim;

namespace {

// The block the port library would publish for a panel and its controller; each CGRAM row
// holds its address.
struct Shown {
    Shown(const char* panel_name, bool two_lines, int shift, bool tall) {
        const Panel panel = panel_named(panel_name).value();
        block->display.display_shift = static_cast<std::uint8_t>(shift);
        block->display.two_lines = two_lines;
        block->display.font_5x10 = tall;
        block->display.display_on = 1;
        for (int i = 0; i < 64; ++i)
            block->display.cgram[i] = static_cast<std::uint8_t>(i);
        block->columns = panel.columns;
        block->rows = panel.rows;
        std::copy(panel.row_start.begin(), panel.row_start.end(), block->row_start);
        block->character_rom = character_rom();
    }
    int address(int row, int column) const {
        return shown_address(published_panel(*block), published_display(block->display), row,
                             column);
    }
    // The dots shown in the top left cell, holding code, bit 4 the leftmost.
    int dots(std::uint8_t code, int row) {
        block->display.ddram[0] = code;
        int bits = 0;
        for (int dot = 0; dot < 5; ++dot)
            bits |= dot_on(published_panel(*block), published_display(block->display), false, 0, 0,
                           row, dot, block->character_rom)
                    << (4 - dot);
        return bits;
    }
    std::unique_ptr<PublishedState> block = std::make_unique<PublishedState>();
};

// Panel, two lines, display shift, row and column: the address shown there, or -1.
TEST(PublishedState, PanelsMapRowsToTheirLineAddresses) {
    const struct {
        const char* panel;
        bool two_lines;
        int shift, row, column, address;
    } cases[] = {{"16x2", true, 0, 1, 0, 0x40},  {"16x2", true, 0, 0, 15, 0x0F},
                 {"20x4", true, 0, 2, 0, 0x14},  {"20x4", true, 0, 3, 19, 0x67},
                 {"16x4", true, 0, 2, 0, 0x10},  {"16x4", true, 0, 3, 1, 0x51},
                 {"40x2", true, 0, 1, 39, 0x67}, {"8x1", true, 0, 0, 7, 0x07},
                 {"16x2", true, 0, 2, 0, -1},    {"16x2", true, 0, 0, 16, -1},
                 {"20x4", true, 39, 0, 0, 0x27}, {"20x4", true, 39, 1, 1, 0x40},
                 {"20x4", true, 39, 2, 0, 0x13}, {"16x2", false, 79, 0, 1, 0x00},
                 {"16x2", false, 79, 1, 0, -1}};
    for (const auto& c : cases) {
        const Shown shown(c.panel, c.two_lines, c.shift, false);
        EXPECT_EQ(shown.address(c.row, c.column), c.address) << (&c - cases);
    }
}

// 5x10 font, code, dot row: the dots shown; and the cursor.
TEST(PublishedState, GlyphRowsComeFromCgramInEitherFontAndFromTheRom) {
    const struct {
        bool tall;
        std::uint8_t code;
        int row, dots;
    } cases[] = {{false, 2, 1, 17},      {false, 10, 1, 17},     {false, 3, 0, 24},
                 {false, 2, 8, 0},       {true, 2, 10, 26},      {true, 3, 0, 16},
                 {true, 11, 10, 26},     {true, 1, 5, 5},        {true, 2, 11, 0},
                 {false, 'A', 0, 0x0E},  {false, 0x7E, 3, 0x1F}, {false, 0xFF, 7, 0x1F},
                 {false, 0x10, 3, 0},    {false, 0xA0, 3, 0},    {false, 0xE7, 8, 0},
                 {true, 0xE7, 8, 0x01},  {true, 0xE7, 9, 0x0E},  {true, 0xE7, 10, 0},
                 {false, 0xF4, 1, 0},    {false, 0xF4, 2, 0x0E}, {false, 0xFB, 1, 0},
                 {false, 0xFB, 2, 0x1F}, {false, 0xFC, 1, 0},    {false, 0xFC, 2, 0x1F}};
    for (const auto& c : cases) {
        Shown shown("16x2", false, 0, c.tall);
        EXPECT_EQ(shown.dots(c.code, c.row), c.dots) << (&c - cases);
    }
    Shown cursor("16x2", false, 0, true); // on the last of 11 rows, at address 0
    cursor.block->display.cursor_on = 1;
    EXPECT_EQ(cursor.dots(' ', 10), 0x1F);
}

} // namespace
