#pragma once

#include "drv/sim/published_state.h"

#include <QWidget>

namespace lumivex::bench {

enum class Backlight { yellow_green, blue_white };

// The character LCD dot by dot: cells of the 5x8 or the 5x10 font with the gaps of a real panel,
// the panel's size and the display shift, the cursor and the blinking block. A display that is off
// shows only its backlit glass.
class LcdView final : public QWidget {
public:
    explicit LcdView(QWidget* parent = nullptr);

    void show_state(const sim::PublishedState& state) { state_ = &state; }
    void set_backlight(Backlight backlight);
    Backlight backlight() const { return backlight_; }
    // Whether the blinking block is showing now (it alternates every 409.6 ms).
    void set_blink_phase(bool block_shown);

    QSize sizeHint() const override;

    // Where a dot of the cell at row, column is drawn, in this widget's pixels.
    QRect dot_rect(int row, int column, int dot_row, int dot_column) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // Dot rows and the gap below them, in the current font.
    int cell_rows() const;
    // The glass (cells and margin) measured in dot pitches.
    QSizeF glass_in_pitches() const;
    double dot_pitch() const;

    const sim::PublishedState* state_ = nullptr;
    Backlight backlight_ = Backlight::yellow_green;
    bool block_shown_ = false;
};

using sim::blink_block_shown;

} // namespace lumivex::bench
