#pragma once

#include "bench/bus_replay.h"

#include <QWidget>
#include <vector>

namespace lumivex::bench {

// E, RS, R/W and D7..D0 over the last window_us of the port's clock, scrolling with it, with
// the time scale marked.
class WaveformView final : public QWidget {
public:
    static constexpr std::uint64_t window_us = 400'000;
    static constexpr int label_width = 44;
    static constexpr int trace_count = 11;

    explicit WaveformView(QWidget* parent = nullptr);

    // The history of bus changes and the time at the right edge.
    void show_history(std::vector<BusChange> history, std::uint64_t now_us);
    QSize sizeHint() const override { return {640, 260}; }

    // The x of a time within the window, and the y of a trace's high and low level.
    int x_of(std::uint64_t time_us) const;
    int high_y(int trace) const;
    int low_y(int trace) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int row_height() const;
    std::uint64_t window_start() const;

    std::vector<BusChange> history_;
    std::uint64_t now_us_ = 0;
};

} // namespace lumivex::bench
