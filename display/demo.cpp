#include "display/demo.h"

#include "display/display_notice.h"
#include "display/hd44780_instructions.h"
#include "display/initialisation.h"
#include "display/register_access.h"

#include <array>

namespace lumivex::display {

static_assert(demo_banner.size() == 17);

namespace {

using namespace hd44780;

// Three 5x8 glyphs, row 0 first, bit 4 the leftmost dot.
constexpr std::array<int, 24> glyph_rows{
    0x0E, 0x1F, 0x1B, 0x1F, 0x10, 0x1F, 0x0E, 0x00, // 0 and 1 alternate while the banner scrolls
    0x0E, 0x1B, 0x1F, 0x1C, 0x10, 0x10, 0x18, 0x0F, //
    0x0E, 0x1F, 0x15, 0x1F, 0x11, 0x1F, 0x0E, 0x00, // 2: the face that winks
};
constexpr int face_glyph = 2;

void instruction(int value) {
    write_cycle(write_instruction, value);
}
void data(int value) {
    write_cycle(write_data, value);
}

// Rewrites one row of the face glyph.
void face_row(int row, int dots) {
    instruction(set_cgram_address | (face_glyph * 8 + row));
    data(dots);
}

} // namespace

void run_demo() {
    if (register_access::base() == 0) {
        display_notice("LPT-port not available");
        return;
    }
    initialise_display(bus_width);

    // A fresh CGRAM address before every row.
    for (int i = 0; i < static_cast<int>(glyph_rows.size()); ++i) {
        instruction(set_cgram_address | i);
        data(glyph_rows[static_cast<std::size_t>(i)]);
    }

    instruction(clear_display);
    instruction(return_home);
    instruction(cursor_or_display_shift | shift_display); // display two to the left
    instruction(cursor_or_display_shift | shift_display);
    instruction(cursor_or_display_shift | shift_right); // cursor two to the right, address 2
    instruction(cursor_or_display_shift | shift_right);
    for (const char c : demo_banner)
        data(static_cast<unsigned char>(c));
    port::wait_ms(100);

    instruction(cursor_or_display_shift | shift_display);
    instruction(display_control | display_on);
    port::wait_ms(3000);

    // The banner scrolls right while glyphs 0 and 1 alternate at address 0.
    for (int i = 0; i < 19; ++i) {
        instruction(set_ddram_address);
        data(0);
        instruction(cursor_or_display_shift | shift_display | shift_right);
        port::wait_ms(200);
        instruction(set_ddram_address);
        data(1);
        port::wait_ms(200);
    }

    instruction(clear_display);
    instruction(display_control | display_on);
    data(face_glyph);

    // Wink: row 1 blinks, row 2 closes the eyes and opens them again.
    port::wait_ms(1000);
    face_row(1, 0x15);
    port::wait_ms(100);
    face_row(1, 0x1F);
    port::wait_ms(200);
    face_row(2, 0x1F);
    port::wait_ms(500);
    face_row(2, 0x15);
    port::wait_ms(1);
    instruction(return_home);
}

} // namespace lumivex::display
