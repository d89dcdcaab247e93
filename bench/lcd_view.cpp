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
    return (state_ != nullptr ? sim::glyph_height(state_->display.font_5x10 != 0) : 8) + 1;
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

void LcdView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const Colours c = colours(backlight_);
    painter.fillRect(rect(), c.glass);
    if (state_ == nullptr)
        return;
    const sim::Panel panel = sim::published_panel(*state_);
    const sim::Hd44780State display = sim::published_display(state_->display);
    for (int row = 0; row < panel.rows; ++row)
        for (int column = 0; column < panel.columns; ++column)
            for (int dot_row = 0; dot_row < sim::glyph_height(display.font_5x10); ++dot_row)
                for (int dot_column = 0; dot_column < 5; ++dot_column)
                    painter.fillRect(dot_rect(row, column, dot_row, dot_column),
                                     sim::dot_on(panel, display, block_shown_, row, column, dot_row,
                                                 dot_column, state_->character_rom)
                                         ? c.dot_on
                                         : c.dot_off);
}

} // namespace lumivex::bench
