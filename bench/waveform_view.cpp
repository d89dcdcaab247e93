#include "bench/waveform_view.h"

#include <QPainter>
#include <array>

namespace lumivex::bench {

namespace {

constexpr int scale_height = 18;

constexpr std::array<const char*, WaveformView::trace_count> names{
    "E", "RS", "R/W", "D7", "D6", "D5", "D4", "D3", "D2", "D1", "D0"};

bool level(const sim::BusSignals& bus, int trace) {
    switch (trace) {
    case 0:
        return bus.e;
    case 1:
        return bus.rs;
    case 2:
        return bus.rw;
    default:
        return ((bus.data >> (10 - trace)) & 1) != 0;
    }
}

} // namespace

WaveformView::WaveformView(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
}

void WaveformView::show_history(std::vector<BusChange> history, std::uint64_t now_us) {
    history_ = std::move(history);
    now_us_ = now_us;
    update();
}

int WaveformView::row_height() const {
    return (height() - scale_height) / trace_count;
}

std::uint64_t WaveformView::window_start() const {
    return now_us_ > window_us ? now_us_ - window_us : 0;
}

int WaveformView::x_of(std::uint64_t time_us) const {
    const std::uint64_t start = window_start();
    const double along =
        time_us <= start ? 0.0
                         : static_cast<double>(time_us - start) / static_cast<double>(window_us);
    return label_width + static_cast<int>(along * (width() - label_width - 1));
}

int WaveformView::high_y(int trace) const {
    return trace * row_height() + 3;
}

int WaveformView::low_y(int trace) const {
    return (trace + 1) * row_height() - 3;
}

void WaveformView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), QColor(0x10, 0x14, 0x18));
    const QColor text(0xc8, 0xd0, 0xd8);

    // Time scale: a tick every 50 ms, labelled in milliseconds before now.
    const int scale_top = trace_count * row_height();
    for (std::uint64_t ms = 0; ms <= window_us / 1000; ms += 50) {
        const int x = x_of(now_us_ - std::min(now_us_, ms * 1000));
        painter.setPen(QColor(0x3a, 0x42, 0x4a));
        painter.drawLine(x, 0, x, scale_top);
        painter.setPen(text);
        painter.drawText(QRect(x - 30, scale_top, 60, scale_height), Qt::AlignCenter,
                         ms == 0 ? QStringLiteral("0") : QStringLiteral("-%1 ms").arg(ms));
    }

    for (int trace = 0; trace < trace_count; ++trace) {
        painter.setPen(text);
        painter.drawText(QRect(2, high_y(trace), label_width - 4, low_y(trace) - high_y(trace)),
                         Qt::AlignVCenter | Qt::AlignLeft, QString::fromLatin1(names[trace]));
        painter.setPen(trace == 0 ? QColor(0xff, 0xd0, 0x40) : QColor(0x50, 0xe0, 0x80));
        // A step line from the left edge (the bus idle, or as the last change before the window
        // left it) to now.
        bool high = false;
        int x = label_width;
        for (const BusChange& change : history_) {
            const bool next = level(change.levels, trace);
            if (next == high)
                continue;
            if (change.time_us <= window_start()) { // the level the window starts with
                high = next;
                continue;
            }
            const int change_x = x_of(change.time_us);
            const int y = high ? high_y(trace) : low_y(trace);
            painter.drawLine(x, y, change_x, y);
            painter.drawLine(change_x, high_y(trace), change_x, low_y(trace));
            x = change_x;
            high = next;
        }
        const int y = high ? high_y(trace) : low_y(trace);
        painter.drawLine(x, y, x_of(now_us_), y);
    }
}

} // namespace lumivex::bench
