// What a viewer derives from the published block: the panel's addresses and the glyphs.
#include "drv/sim/character_rom.h"
#include "drv/sim/panel.h"
#include "drv/sim/published_state.h"

#include <gtest/gtest.h>
#include <memory>

using namespace lumivex::sim;

namespace {

std::unique_ptr<PublishedState> state_for(const char* panel_name, bool two_lines, int shift) {
    auto state = std::make_unique<PublishedState>();
    const Panel panel = panel_named(panel_name).value();
    state->columns = panel.columns;
    state->rows = panel.rows;
    for (int row = 0; row < 4; ++row)
        state->row_start[row] = panel.row_start[static_cast<std::size_t>(row)];
    state->display.two_lines = two_lines ? 1 : 0;
    state->display.display_shift = static_cast<std::uint8_t>(shift);
    return state;
}

TEST(PublishedState, PanelsMapRowsToTheirLineAddresses) {
    struct Case {
        const char* panel;
        int row, column, address;
    };
    const Case cases[] = {
        {"16x2", 1, 0, 0x40}, {"16x2", 0, 15, 0x0F}, {"20x4", 2, 0, 0x14},  {"20x4", 3, 19, 0x67},
        {"16x4", 2, 0, 0x10}, {"16x4", 3, 1, 0x51},  {"40x2", 1, 39, 0x67}, {"8x1", 0, 7, 0x07},
        {"16x2", 2, 0, -1},   {"16x2", 0, 16, -1},
    };
    for (const Case& c : cases) {
        const auto state = state_for(c.panel, true, 0);
        EXPECT_EQ(visible_address(*state, c.row, c.column), c.address) << c.panel;
    }
    EXPECT_FALSE(panel_named("17x3"));
    EXPECT_FALSE(panel_named(""));
}

TEST(PublishedState, DisplayShiftMovesEveryLineWithinItsLength) {
    const auto state = state_for("20x4", true, 39);
    EXPECT_EQ(visible_address(*state, 0, 0), 0x27);
    EXPECT_EQ(visible_address(*state, 1, 1), 0x40);
    EXPECT_EQ(visible_address(*state, 2, 0), 0x13);
    const auto one_line = state_for("16x2", false, 79);
    EXPECT_EQ(visible_address(*one_line, 0, 1), 0x00);
    EXPECT_EQ(visible_address(*one_line, 1, 0), -1);
}

TEST(PublishedState, CodesBelowSixteenShowCgramGlyphs) {
    auto state = std::make_unique<PublishedState>();
    for (int code = 0; code < 256; ++code)
        std::memcpy(state->character_rom[code], rom_glyph(static_cast<std::uint8_t>(code)).data(),
                    sizeof state->character_rom[code]);
    state->display.cgram[2 * 8 + 1] = 0x1F;
    EXPECT_EQ(glyph_row(*state, 2, 1), 0x1F);
    EXPECT_EQ(glyph_row(*state, 10, 1), 0x1F);
    EXPECT_EQ(glyph_row(*state, 'A', 0), 0x0E);
    EXPECT_EQ(glyph_row(*state, 0x7E, 3), 0x1F); // the right arrow's shaft
    EXPECT_EQ(glyph_row(*state, 0xFF, 7), 0x1F);
    EXPECT_EQ(glyph_row(*state, 0x10, 3), 0x00);
    EXPECT_EQ(glyph_row(*state, 0xA0, 3), 0x00);
}

} // namespace
