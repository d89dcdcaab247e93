#pragma once

#include <QWidget>

namespace lumivex::bench {

// The eight LEDs on the data lines, d7 on the left, each with its bit name.
class LedBar final : public QWidget {
public:
    explicit LedBar(QWidget* parent = nullptr);

    void show_leds(int bits);
    QSize sizeHint() const override { return {8 * 34, 48}; }

    // Centre of LED bit 0..7, in this widget's pixels.
    QPoint led_centre(int bit) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int bits_ = 0;
};

} // namespace lumivex::bench
