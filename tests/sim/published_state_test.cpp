// What a viewer derives from the published block: the panel's addresses and the glyphs.
#include "drv/sim/character_rom.h"
#include "drv/sim/panel.h"
#include "drv/sim/published_state.h"

#include <cstring>
#include <gtest/gtest.h>
#include <memory>

using namespace lumivex::sim;

namespace {

// The block the port library would publish for this panel and controller state, with each
// CGRAM row holding its address.
std::unique_ptr<PublishedState> published(const char* panel_name, bool two_lines, int shift,
                                          bool tall) {
    auto state = std::make_unique<PublishedState>();
    const Panel panel = panel_named(panel_name).value();
    state->columns = panel.columns;
    state->rows = panel.rows;
    std::copy(panel.row_start.begin(), panel.row_start.end(), state->row_start);
    state->display.display_shift = static_cast<std::uint8_t>(shift);
    state->display.two_lines = two_lines;
    state->display.font_5x10 = tall;
    for (int i = 0; i < 64; ++i)
        state->display.cgram[i] = static_cast<std::uint8_t>(i);
    for (int code = 0; code < 256; ++code)
        std::memcpy(state->character_rom[code], rom_glyph(static_cast<std::uint8_t>(code)).data(),
                    sizeof state->character_rom[code]);
    return state;
}

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
        const auto state = published(c.panel, c.two_lines, c.shift, false);
        EXPECT_EQ(visible_address(*state, c.row, c.column), c.address) << (&c - cases);
    }
}

// 5x10 font, code, dot row: the dots shown.
TEST(PublishedState, GlyphRowsComeFromCgramInEitherFontAndFromTheRom) {
    const struct {
        bool tall;
        std::uint8_t code;
        int row, dots;
    } cases[] = {{false, 2, 1, 17},     {false, 10, 1, 17},     {false, 3, 0, 24},
                 {false, 2, 8, 0},      {true, 2, 10, 26},      {true, 3, 0, 16},
                 {true, 11, 10, 26},    {true, 1, 5, 5},        {true, 2, 11, 0},
                 {false, 'A', 0, 0x0E}, {false, 0x7E, 3, 0x1F}, {false, 0xFF, 7, 0x1F},
                 {false, 0x10, 3, 0},   {false, 0xA0, 3, 0},    {false, 0xE7, 8, 0},
                 {true, 0xE7, 8, 0x01}, {true, 0xE7, 9, 0x0E},  {true, 0xE7, 10, 0}};
    for (const auto& c : cases) {
        const auto state = published("16x2", false, 0, c.tall);
        EXPECT_EQ(glyph_row(*state, c.code, c.row), c.dots) << (&c - cases);
    }
}

} // namespace
