#include "bench/lcd_view.h"

#include <QPainter>
#include <algorithm>

namespace lumivex::bench {

namespace {

// A cell is 5 dots and a gap wide, the font's rows and a gap high; the glass has a margin around.
constexpr int cell_columns = 6;
constexpr double margin = 1.5;
constexpr double dot_fill = 0.88; // of the pitch; the rest is the gap between dots

struct Colours {
    QColor glass;
    QColor dot_off;
    QColor dot_on;
};

Colours colours(Backlight backlight) {
    if (backlight == Backlight::blue_white)
        return {QColor(0x1f, 0x3f, 0xbf), QColor(0x27, 0x4a, 0xcc), QColor(0xee, 0xf4, 0xff)};
    return {QColor(0xa6, 0xc8, 0x3a), QColor(0x9b, 0xbd, 0x33), QColor(0x1d, 0x2b, 0x08)};
}

} // namespace

bool blink_block_shown(qint64 ms) {
    return (ms * 10 / 4096) % 2 == 0;
}

LcdView::LcdView(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void LcdView::set_backlight(Backlight backlight) {
    backlight_ = backlight;
    update();
}

void LcdView::set_blink_phase(bool block_shown) {
    if (block_shown == block_shown_)
        return;
    block_shown_ = block_shown;
    update();
}

int LcdView::cell_rows() const {
    return (state_ != nullptr ? sim::glyph_height(*state_) : 8) + 1;
}

QSizeF LcdView::glass_in_pitches() const {
    const int columns = state_ != nullptr ? std::max<int>(state_->columns, 1) : 16;
    const int rows = state_ != nullptr ? std::max<int>(state_->rows, 1) : 2;
    return {columns * cell_columns + 2 * margin, rows * cell_rows() + 2 * margin};
}

QSize LcdView::sizeHint() const {
    return (glass_in_pitches() * 5).toSize();
}

double LcdView::dot_pitch() const {
    const QSizeF glass = glass_in_pitches();
    return std::min(width() / glass.width(), height() / glass.height());
}

QRect LcdView::dot_rect(int row, int column, int dot_row, int dot_column) const {
    const double pitch = dot_pitch();
    // The panel keeps its proportions, centred in the widget.
    const QSizeF glass = glass_in_pitches() * pitch;
    const double x =
        (width() - glass.width()) / 2 + (margin + column * cell_columns + dot_column) * pitch;
    const double y =
        (height() - glass.height()) / 2 + (margin + row * cell_rows() + dot_row) * pitch;
    const int size = std::max(1, static_cast<int>(pitch * dot_fill));
    return {static_cast<int>(x), static_cast<int>(y), size, size};
}

bool LcdView::dot_on(int row, int column, int dot_row, int dot_column) const {
    const sim::PublishedState& s = *state_;
    if (s.display.display_on == 0)
        return false;
    const int address = sim::visible_address(s, row, column);
    if (address < 0)
        return false;
    const bool at_cursor = s.display.address_in_cgram == 0 && address == s.display.address_counter;
    if (at_cursor && s.display.blink_on != 0 && block_shown_)
        return true;
    if (at_cursor && s.display.cursor_on != 0 && dot_row == sim::glyph_height(s) - 1)
        return true;
    const std::uint8_t dots = sim::glyph_row(s, s.display.ddram[address], dot_row);
    return ((dots >> (4 - dot_column)) & 1) != 0;
}

void LcdView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const Colours c = colours(backlight_);
    painter.fillRect(rect(), c.glass);
    if (state_ == nullptr)
        return;
    for (int row = 0; row < state_->rows; ++row)
        for (int column = 0; column < state_->columns; ++column)
            for (int dot_row = 0; dot_row < sim::glyph_height(*state_); ++dot_row)
                for (int dot_column = 0; dot_column < 5; ++dot_column)
                    painter.fillRect(dot_rect(row, column, dot_row, dot_column),
                                     dot_on(row, column, dot_row, dot_column) ? c.dot_on
                                                                              : c.dot_off);
}

} // namespace lumivex::bench
