// The bench window offscreen, fed by hand-made state blocks.
#include "bench/bench_window.h"
#include "bench/lcd_view.h"
#include "bench/led_bar.h"

#include <QLabel>
#include <QtTest>
#include <fcntl.h>
#include <memory>
#include <sys/mman.h>
#include <unistd.h>

using namespace lumivex;

namespace {

// A shared-memory object of this test's own, removed again at the end.
struct SharedBlock {
    explicit SharedBlock(const char* what)
        : name("/lumivex-bench-test-" + std::to_string(getpid()) + "-" + what) {
        shm_unlink(name.c_str());
    }
    ~SharedBlock() { shm_unlink(name.c_str()); }
    // Makes the object size bytes long, holding the block as far as it goes: a new object under
    // the name, or the one there cut short or grown in place.
    void put(const sim::PublishedState& block, std::size_t size, bool anew = true) const {
        if (anew)
            shm_unlink(name.c_str());
        const int fd = shm_open(name.c_str(), O_CREAT | O_RDWR, 0600);
        if (fd >= 0 && ftruncate(fd, static_cast<off_t>(size)) == 0 &&
            pwrite(fd, &block, std::min(size, sizeof block), 0) >= 0)
            close(fd);
    }
    std::string name;
};

std::unique_ptr<sim::PublishedState> valid_block() {
    auto block = std::make_unique<sim::PublishedState>();
    block->magic = sim::published_state_magic;
    block->version = sim::published_state_version;
    block->size = sizeof(sim::PublishedState);
    block->columns = 16;
    block->rows = 2;
    block->sequence = 2;
    return block;
}

// A dot row of a cell in the first row as drawn, bit 4 the leftmost; -1 for another colour
// than the dots' on and off.
int dots(const bench::LcdView& view, const QImage& image, int column, int dot_row) {
    int bits = 0;
    for (int dot = 0; dot < 5; ++dot) {
        const QColor c = image.pixelColor(view.dot_rect(0, column, dot_row, dot).center());
        if (c == QColor(0x1d, 0x2b, 0x08))
            bits |= 1 << (4 - dot);
        else if (c != QColor(0x9b, 0xbd, 0x33))
            return -1;
    }
    return bits;
}

} // namespace

class BenchTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void drawsDotsCursorAndLeds();
    void refusesGarbledBlocksAtEveryStep();
};

// Glyph 0 (a frame) and the cursor after it; the LEDs and the registers.
void BenchTest::drawsDotsCursorAndLeds() {
    const SharedBlock shared("dots");
    auto block = valid_block();
    sim::PublishedDisplay& d = block->display;
    std::fill(std::begin(d.ddram) + 1, std::end(d.ddram), ' ');
    d.address_counter = 1;
    d.display_on = d.cursor_on = 1;
    const int frame[8] = {0x1F, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x1F};
    std::copy(frame, frame + 8, d.cgram);
    block->leds = block->data_register = 0xA5;
    shared.put(*block, sizeof *block);
    bench::BenchWindow window(shared.name);
    window.resize(720, 640);
    const QImage image = window.lcd()->grab().toImage();
    for (int row = 0; row < 8; ++row) {
        QCOMPARE(dots(*window.lcd(), image, 0, row), frame[row]);
        QCOMPARE(dots(*window.lcd(), image, 1, row), row == 7 ? 0x1F : 0x00);
    }
    const QImage leds = window.leds()->grab().toImage();
    for (int bit = 0; bit < 8; ++bit)
        QCOMPARE(leds.pixelColor(window.leds()->led_centre(bit)).red() > 0xC0,
                 ((0xA5 >> bit) & 1) != 0);
    QVERIFY(window.leds()->led_centre(0).x() > window.leds()->led_centre(7).x()); // d0 right
    QVERIFY(window.registers()->text().contains(QStringLiteral("DR 0xa5")));
}

// Garbled, cut short, grown or emptied after each step of reading it, the block is refused
// saying why; and the next good one (a new object under the name) is shown.
void BenchTest::refusesGarbledBlocksAtEveryStep() {
    const SharedBlock shared("garbled");
    bench::StateReader reader(shared.name);
    bench::BenchWindow window(shared.name);
    QVERIFY(window.status()->text().startsWith(QStringLiteral("Waiting")));
    const std::size_t full = sizeof(sim::PublishedState);
    const auto holds = [](std::size_t size) { return "holds " + std::to_string(size) + " bytes"; };
    const auto as_is = [](sim::PublishedState&) {};
    const struct {
        void (*garble)(sim::PublishedState&);
        std::size_t size;
        std::string says;
    } cases[] = {{[](sim::PublishedState& b) { b.magic = 0x12345678; }, full, "magic 0x12345678,"},
                 {[](sim::PublishedState& b) { b.version = 99; }, full, "version 99,"},
                 {[](sim::PublishedState& b) { b.size = 1000; }, full, "size 1000 "},
                 {[](sim::PublishedState& b) { b.rows = 5; }, full, "panel of 16x5 characters"},
                 {as_is, 0, holds(0)},
                 {as_is, 14, holds(14)},
                 {as_is, full - 1, holds(full - 1)},
                 {as_is, full + 1, holds(full + 1)}};
    auto copy = std::make_unique<sim::PublishedState>();
    for (const auto& c : cases)
        for (int step = 0; step < 3; ++step) {
            auto block = valid_block();
            shared.put(*block, full);
            window.refresh();
            QVERIFY(window.status()->text().contains(QStringLiteral("16x2")));
            QCOMPARE(reader.update(), bench::StateReader::Status::live);
            QVERIFY(step < 1 || reader.sequence() == 2u);
            QVERIFY(step < 2 || reader.snapshot(*copy));
            c.garble(*block);
            shared.put(*block, c.size, false);
            QVERIFY(!reader.snapshot(*copy) && reader.sequence() == 0u &&
                    reader.update() == bench::StateReader::Status::invalid);
            window.refresh();
            QVERIFY(window.status()->text().contains(QString::fromStdString(c.says)));
        }
}

QTEST_MAIN(BenchTest)
#include "bench_test.moc"
