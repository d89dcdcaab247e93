// Draws the simulated display's character ROM as the datasheet's chart lays it out, to compare
// by eye: a column per upper nibble (2 to F), a row per lower nibble, each code in ten dot rows
// with a mark at the left of the two rows only the 5x10 font shows.
//   build/default/benchmarks/character_chart chart.png
#include "drv/sim/character_rom.h"

#include <QColor>
#include <QImage>
#include <QPainter>
#include <cstdio>

namespace {

constexpr int dot = 6;
constexpr int cell_width = 8 * dot;
constexpr int cell_height = 13 * dot;

void draw_code(QPainter& painter, int code, QPoint origin) {
    const lumivex::sim::Glyph& glyph =
        lumivex::sim::character_rom()[static_cast<std::size_t>(code)];
    painter.fillRect(origin.x() - dot, origin.y() + 8 * dot, dot / 2, 2 * dot, Qt::red);
    for (int row = 0; row < 10; ++row)
        for (int column = 0; column < 5; ++column) {
            const bool on = (glyph[static_cast<std::size_t>(row)] >> (4 - column) & 1) != 0;
            painter.fillRect(origin.x() + column * dot, origin.y() + row * dot, dot - 1, dot - 1,
                             on ? QColor(0x10, 0x10, 0x10) : QColor(0xdd, 0xdd, 0xdd));
        }
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <file.png>\n", argv[0]);
        return 2;
    }
    QImage chart(14 * cell_width + 2 * dot, 16 * cell_height + 2 * dot, QImage::Format_RGB32);
    chart.fill(Qt::white);
    QPainter painter(&chart);
    for (int high = 2; high < 16; ++high)
        for (int low = 0; low < 16; ++low)
            draw_code(painter, high << 4 | low,
                      QPoint((high - 2) * cell_width + 2 * dot, low * cell_height + 2 * dot));
    painter.end();
    if (!chart.save(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
