#include "drv/sim/windows/bench_drawing.h"

#include "drv/sim/lcd_dots.h"

#include <algorithm>
#include <cstdio>

namespace lumivex::sim {

namespace {

// The glass as lumivex-bench lays it out: a cell is 5 dots and a gap wide, the font's dot rows
// and a gap high, with a margin around; a dot fills most of its pitch. The colours are its
// yellow-green.
constexpr int cell_columns = 6;
constexpr double margin = 1.5;
constexpr double dot_fill = 0.88;
constexpr COLORREF glass_colour = RGB(0xa6, 0xc8, 0x3a);
constexpr COLORREF dot_off_colour = RGB(0x9b, 0xbd, 0x33);
constexpr COLORREF dot_on_colour = RGB(0x1d, 0x2b, 0x08);
constexpr COLORREF led_lit = RGB(0xff, 0x3b, 0x2f);
constexpr COLORREF led_unlit = RGB(0x4a, 0x14, 0x10);

// Below the glass: a row of LEDs with their labels, then three register lines.
constexpr int led_row_height = 48;
constexpr int line_height = 18;
constexpr int below_glass = led_row_height + 3 * line_height + 8;
constexpr int widest_glass = 760;

double glass_width(const Panel& panel) {
    return panel.columns * cell_columns + 2 * margin;
}

double glass_height(const Panel& panel, bool font_5x10 = false) {
    return panel.rows * (glyph_height(font_5x10) + 1) + 2 * margin;
}

void fill(HDC dc, const RECT& rect, COLORREF colour) {
    SetDCBrushColor(dc, colour);
    FillRect(dc, &rect, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

void draw_lcd(HDC dc, const RECT& room, const BenchView& view, bool block_shown) {
    fill(dc, room, glass_colour);
    const Panel& panel = view.panel;
    const double width = room.right - room.left;
    const double height = room.bottom - room.top;
    const bool font_5x10 = view.display.font_5x10;
    const int cell_rows = glyph_height(font_5x10) + 1;
    const double glass_rows = glass_height(panel, font_5x10);
    const double pitch = std::min(width / glass_width(panel), height / glass_rows);
    const double left = room.left + (width - glass_width(panel) * pitch) / 2;
    const double top = room.top + (height - glass_rows * pitch) / 2;
    const int size = std::max(1, static_cast<int>(pitch * dot_fill));
    for (int row = 0; row < panel.rows; ++row)
        for (int column = 0; column < panel.columns; ++column)
            for (int dot_row = 0; dot_row < cell_rows - 1; ++dot_row)
                for (int dot_column = 0; dot_column < 5; ++dot_column) {
                    const int x = static_cast<int>(
                        left + (margin + column * cell_columns + dot_column) * pitch);
                    const int y =
                        static_cast<int>(top + (margin + row * cell_rows + dot_row) * pitch);
                    const bool on =
                        dot_on(panel, view.display, block_shown, row, column, dot_row, dot_column);
                    fill(dc, RECT{x, y, x + size, y + size}, on ? dot_on_colour : dot_off_colour);
                }
}

void draw_leds(HDC dc, const RECT& room, std::uint8_t leds) {
    const int slot = (room.right - room.left) / 8;
    SelectObject(dc, GetStockObject(DC_BRUSH));
    SelectObject(dc, GetStockObject(BLACK_PEN));
    for (int bit = 0; bit < 8; ++bit) {
        const int centre = room.left + slot * (7 - bit) + slot / 2;
        SetDCBrushColor(dc, ((leds >> bit) & 1) != 0 ? led_lit : led_unlit);
        Ellipse(dc, centre - 10, room.top + 6, centre + 10, room.top + 26);
        char label[4];
        std::snprintf(label, sizeof label, "d%d", bit);
        RECT text{centre - 16, room.top + 28, centre + 16, room.top + 44};
        DrawTextA(dc, label, -1, &text, DT_CENTER | DT_SINGLELINE);
    }
}

void draw_register(HDC dc, int x, int y, const char* name, std::uint8_t value) {
    char line[32];
    char bits[10];
    for (int bit = 7, i = 0; bit >= 0; --bit) {
        bits[i++] = ((value >> bit) & 1) != 0 ? '1' : '0';
        if (bit == 4)
            bits[i++] = ' ';
    }
    bits[9] = '\0';
    const int length = std::snprintf(line, sizeof line, "%s 0x%02x  %s", name, value, bits);
    TextOutA(dc, x, y, line, length);
}

} // namespace

SIZE bench_client_size(const Panel& panel) {
    const double pitch = std::min(5.0, widest_glass / glass_width(panel));
    return {static_cast<LONG>(glass_width(panel) * pitch),
            static_cast<LONG>(glass_height(panel) * pitch) + below_glass};
}

void draw_bench(HDC dc, const RECT& client, const BenchView& view, bool block_shown) {
    fill(dc, client, GetSysColor(COLOR_BTNFACE));
    const LONG glass_bottom = std::max(client.top, client.bottom - below_glass);
    draw_lcd(dc, RECT{client.left, client.top, client.right, glass_bottom}, view, block_shown);

    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    SelectObject(dc, GetStockObject(ANSI_FIXED_FONT));
    draw_leds(dc, RECT{client.left, glass_bottom, client.right, glass_bottom + led_row_height},
              view.leds);
    const int x = client.left + 8;
    const int y = glass_bottom + led_row_height;
    draw_register(dc, x, y, "DR", view.data_register);
    draw_register(dc, x, y + line_height, "SR", view.status_register);
    draw_register(dc, x, y + 2 * line_height, "CR", view.control_register);
}

} // namespace lumivex::sim
