// The dots a viewer with the model at hand draws (the Windows port library's window) are the
// ones lumivex-bench derives from the published block.
#include "drv/sim/character_rom.h"
#include "drv/sim/lcd_dots.h"
#include "drv/sim/published_state.h"

#include <cstring>
#include <gtest/gtest.h>
#include <memory>

using namespace lumivex::sim;

namespace {

// The block the port library would publish for this panel and controller.
std::unique_ptr<PublishedState> published(const Panel& panel, const Hd44780State& display) {
    auto state = std::make_unique<PublishedState>();
    state->columns = panel.columns;
    state->rows = panel.rows;
    std::memcpy(state->row_start, panel.row_start.data(), 4);
    state->display.two_lines = display.two_lines ? 1 : 0;
    state->display.display_shift = display.display_shift;
    std::memcpy(state->display.cgram, display.cgram.data(), 64);
    for (int code = 0; code < 256; ++code)
        std::memcpy(state->character_rom[code], rom_glyph(static_cast<std::uint8_t>(code)).data(),
                    8);
    return state;
}

TEST(LcdDots, CellsShowTheAddressesTheBenchShows) {
    for (const char* name : {"8x1", "16x1", "16x2", "16x4", "20x2", "20x4", "24x2", "40x2"}) {
        const Panel panel = panel_named(name).value();
        for (const bool two_lines : {false, true})
            for (int shift = 0; shift < 80; ++shift) {
                Hd44780State display;
                display.two_lines = two_lines;
                display.display_shift = static_cast<std::uint8_t>(shift);
                const auto state = published(panel, display);
                for (int row = -1; row <= 4; ++row)
                    for (int column = -1; column <= 40; ++column)
                        ASSERT_EQ(shown_address(panel, display, row, column),
                                  visible_address(*state, row, column))
                            << name << " shift " << shift << " row " << row << " column " << column;
            }
    }
}

TEST(LcdDots, CharactersShowTheGlyphsTheBenchShows) {
    Hd44780State display;
    display.display_on = true;
    display.address_counter = 0x7F; // no cursor on the panel
    for (int i = 0; i < 64; ++i)
        display.cgram[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i * 7 % 32);
    const auto state = published(default_panel, display);
    for (int code = 0; code < 256; ++code) {
        display.ddram[0] = static_cast<std::uint8_t>(code);
        for (int dot_row = 0; dot_row < 8; ++dot_row)
            for (int dot_column = 0; dot_column < 5; ++dot_column)
                ASSERT_EQ(dot_on(default_panel, display, false, 0, 0, dot_row, dot_column),
                          ((glyph_row(*state, static_cast<std::uint8_t>(code), dot_row) >>
                            (4 - dot_column)) &
                           1) != 0)
                    << "code " << code << " dot " << dot_row << "," << dot_column;
    }
}

// A blank cell (a space) at the address counter, in DDRAM unless said otherwise.
TEST(LcdDots, CursorBlinkingBlockAndDisplayOff) {
    struct Case {
        bool display_on, cursor_on, blink_on, block_shown, in_cgram;
        int dot_row;
        bool on;
    };
    const Case cases[] = {
        {true, true, false, false, false, 7, true},  // the cursor is the eighth dot row
        {true, true, false, false, false, 6, false}, // and only that
        {true, false, true, true, false, 0, true},   // the block covers the cell
        {true, false, true, false, false, 0, false}, // in its other phase
        {true, true, true, true, true, 7, false},    // no cursor while AC points into CGRAM
        {false, true, true, true, false, 7, false},  // nothing while the display is off
    };
    for (const Case& c : cases) {
        Hd44780State display;
        display.ddram.fill(' ');
        display.display_on = c.display_on;
        display.cursor_on = c.cursor_on;
        display.blink_on = c.blink_on;
        display.address_in_cgram = c.in_cgram;
        display.address_counter = 3;
        EXPECT_EQ(dot_on(default_panel, display, c.block_shown, 0, 3, c.dot_row, 2), c.on)
            << "display " << c.display_on << " cursor " << c.cursor_on << " blink " << c.blink_on
            << " phase " << c.block_shown << " CGRAM " << c.in_cgram << " dot row " << c.dot_row;
    }
}

} // namespace
