#include "bench/led_bar.h"

#include <QPainter>

namespace lumivex::bench {

namespace {
const QColor lit(0xff, 0x3b, 0x2f);
const QColor unlit(0x4a, 0x14, 0x10);
} // namespace

LedBar::LedBar(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void LedBar::show_leds(int bits) {
    if (bits == bits_)
        return;
    bits_ = bits;
    update();
}

QPoint LedBar::led_centre(int bit) const {
    const int slot = width() / 8;
    return {slot * (7 - bit) + slot / 2, 16};
}

void LedBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    for (int bit = 0; bit < 8; ++bit) {
        const QPoint centre = led_centre(bit);
        const bool on = ((bits_ >> bit) & 1) != 0;
        painter.setPen(QPen(QColor(0x30, 0x30, 0x30), 1));
        painter.setBrush(on ? lit : unlit);
        painter.drawEllipse(centre, 10, 10);
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(QRect(centre.x() - 16, 30, 32, 16), Qt::AlignCenter,
                         QStringLiteral("d%1").arg(bit));
    }
}

} // namespace lumivex::bench
