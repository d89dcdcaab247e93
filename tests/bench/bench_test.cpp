// The bench window on the offscreen platform, fed by the simulated port library itself (in
// instant mode) and by hand-made state blocks.
#include "app/shared_state.h"
#include "bench/bench_window.h"
#include "bench/lcd_view.h"
#include "bench/led_bar.h"
#include "bench/waveform_view.h"
#include "display/bus_cycles.h"
#include "display/initialisation.h"
#include "port/lpt_wiring.h"
#include "port/port_library.h"
#include "port/port_module.h"
#include "support/fakes.h"
#include "support/run_folder.h"

#include <QLabel>
#include <QtTest>
#include <atomic>
#include <dlfcn.h>
#include <fcntl.h>
#include <memory>
#include <sys/mman.h>
#include <thread>
#include <unistd.h>

using namespace lumivex;

namespace {

// A shared-memory object of this test's own, removed again at the end.
class SharedBlock {
public:
    explicit SharedBlock(std::string name) : name_(std::move(name)) { shm_unlink(name_.c_str()); }
    ~SharedBlock() { shm_unlink(name_.c_str()); }
    const std::string& name() const { return name_; }

    // Replaces the object with one of size bytes holding this block (cut to size).
    void write(const sim::PublishedState& block, std::size_t size) {
        shm_unlink(name_.c_str());
        const int fd = shm_open(name_.c_str(), O_CREAT | O_RDWR, 0600);
        QVERIFY(fd >= 0);
        QVERIFY(::write(fd, &block, std::min(size, sizeof block)) >= 0);
        close(fd);
    }
    // Cuts the object short, or makes it longer, in place.
    void cut(std::size_t size) const {
        const int fd = shm_open(name_.c_str(), O_RDWR, 0);
        if (fd >= 0 && ftruncate(fd, static_cast<off_t>(size)) == 0)
            close(fd);
    }
    // Puts a whole block into the object in place.
    void overwrite(const sim::PublishedState& block) const {
        const int fd = shm_open(name_.c_str(), O_RDWR, 0);
        if (fd >= 0 && ftruncate(fd, sizeof block) == 0 && pwrite(fd, &block, sizeof block, 0) > 0)
            close(fd);
    }

private:
    std::string name_;
};

std::unique_ptr<sim::PublishedState> valid_block() {
    auto block = std::make_unique<sim::PublishedState>();
    block->magic = sim::published_state_magic;
    block->version = sim::published_state_version;
    block->size = sizeof(sim::PublishedState);
    block->columns = 16;
    block->rows = 2;
    block->row_start[1] = 0x40;
    return block;
}

std::string unique_name(const char* what) {
    return "/lumivex-bench-test-" + std::to_string(getpid()) + "-" + what;
}

} // namespace

class BenchTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void showsWhatTheSimulatedPortDid();
    void refusesGarbledBlocksAndRecovers();
    void waitsForThePortAndFollowsItsReplacement();
    void refusesABlockCutAtEveryStep();
    void survivesBlocksCutAndReplacedUnderARunningPort();
    void placesWaveformEdgesAtTheirTimes();
    void drawsTheTallFontWithItsCursorRow();
};

void BenchTest::showsWhatTheSimulatedPortDid() {
    const RunFolder folder;
    folder.install_port_library(SIM_PORT_LIBRARY);
    const SharedBlock block(unique_name("sim"));
    qputenv("LUMIVEX_SIM_CLOCK", "instant");
    qputenv("LUMIVEX_SIM_STATE", QByteArray::fromStdString(block.name()));

    Trace trace;
    RecordingNotices notices(trace);
    app::set_notice_sink(&notices);
    app::current_base_address = lpt::lpt1_base_address;
    QCOMPARE(port::open_port(lpt::lpt1_base_address), 0);
    display::initialise_display(display::BusWidth::four_bit);
    display::write_cycle(display::write_data, 'A');         // at address 0
    display::write_cycle(display::write_instruction, 0x40); // glyph 0: a frame
    for (int row : {0x1F, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x1F})
        display::write_cycle(display::write_data, row);
    display::write_cycle(display::write_instruction, 0x81);
    display::write_cycle(display::write_data, 0x00); // glyph 0 at address 1
    port::port_out(lpt::lpt1_base_address, 0xA5);    // the LEDs

    bench::BenchWindow window(block.name());
    window.resize(720, 640);
    window.refresh();
    window.lcd()->set_blink_phase(false);
    const QImage lcd = window.lcd()->grab().toImage();
    const QImage leds = window.leds()->grab().toImage();

    const QColor on(0x1d, 0x2b, 0x08);
    const QColor off(0x9b, 0xbd, 0x33);
    const auto dots = [&](int column, int dot_row) {
        int bits = 0;
        for (int dot = 0; dot < 5; ++dot) {
            const QColor c =
                lcd.pixelColor(window.lcd()->dot_rect(0, column, dot_row, dot).center());
            if (c == on)
                bits |= 1 << (4 - dot);
            else if (c != off)
                return -1;
        }
        return bits;
    };
    const int letter_a[8] = {0x0E, 0x11, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x00};
    const int frame[8] = {0x1F, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x1F};
    for (int row = 0; row < 8; ++row) {
        QCOMPARE(dots(0, row), letter_a[row]);
        QCOMPARE(dots(1, row), frame[row]);
        QCOMPARE(dots(2, row), row == 7 ? 0x1F : 0x00); // the cursor at address 2
    }
    for (int bit = 0; bit < 8; ++bit)
        QCOMPARE(leds.pixelColor(window.leds()->led_centre(bit)).red() > 0xC0,
                 ((0xA5 >> bit) & 1) != 0);
    QVERIFY(window.registers()->text().contains(QStringLiteral("DR 0xa5")));
    QVERIFY(window.registers()->text().contains(QStringLiteral("timing violations 0")));

    port::close_port(lpt::lpt1_base_address);
    app::current_base_address = 0;
    app::set_notice_sink(nullptr);
    QVERIFY(notices.shown.empty());
}

void BenchTest::refusesGarbledBlocksAndRecovers() {
    SharedBlock shared(unique_name("garbled"));
    bench::StateMapping mapping(shared.name());
    auto block = valid_block();

    block->magic = 0x12345678;
    shared.write(*block, sizeof *block);
    QCOMPARE(mapping.update(), bench::StateMapping::Status::invalid);
    QVERIFY(QString::fromStdString(mapping.problem()).contains(QStringLiteral("0x12345678")));

    block = valid_block();
    block->version = 99;
    shared.write(*block, sizeof *block);
    QCOMPARE(mapping.update(), bench::StateMapping::Status::invalid);
    QVERIFY(QString::fromStdString(mapping.problem()).contains(QStringLiteral("version 99")));

    block = valid_block();
    block->size = 1000;
    shared.write(*block, sizeof *block);
    QCOMPARE(mapping.update(), bench::StateMapping::Status::invalid);

    block = valid_block();
    shared.write(*block, 100); // cut short: nothing past it may be read
    QCOMPARE(mapping.update(), bench::StateMapping::Status::invalid);
    QVERIFY(QString::fromStdString(mapping.problem()).contains(QStringLiteral("100 bytes")));

    bench::BenchWindow window(shared.name());
    QVERIFY(window.status()->text().contains(QStringLiteral("100 bytes")));

    shared.write(*block, sizeof *block);
    QCOMPARE(mapping.update(), bench::StateMapping::Status::live);
    window.refresh();
    QVERIFY(window.status()->text().contains(QStringLiteral("16x2")));

    if (geteuid() != 0)
        return; // giving the block to another user needs root
    const int fd = shm_open(shared.name().c_str(), O_RDWR, 0);
    QCOMPARE(fchown(fd, 65534, 65534), 0);
    close(fd);
    QCOMPARE(mapping.update(), bench::StateMapping::Status::invalid);
    window.refresh();
    QVERIFY(window.status()->text().contains(QStringLiteral("belongs to user")));
    QVERIFY(window.status()->text().contains(QStringLiteral("(uid 65534)")));
}

void BenchTest::waitsForThePortAndFollowsItsReplacement() {
    SharedBlock shared(unique_name("restart"));
    bench::BenchWindow window(shared.name());
    QVERIFY(window.status()->text().startsWith(QStringLiteral("Waiting")));

    auto block = valid_block();
    block->leds = 0x01;
    shared.write(*block, sizeof *block);
    window.refresh();
    QVERIFY(window.registers()->text().isEmpty() == false);

    block->columns = 20;
    block->rows = 4;
    block->sequence = 2;
    shared.write(*block, sizeof *block); // a new object under the same name
    window.refresh();
    QVERIFY(window.status()->text().contains(QStringLiteral("20x4")));
}

void BenchTest::placesWaveformEdgesAtTheirTimes() {
    auto block = valid_block();
    block->time_us = 1'000'000;
    const auto event = [](std::uint64_t time_us, std::uint8_t offset, std::uint8_t value) {
        return sim::BusEvent{time_us, offset, value, sim::port_write, {}};
    };
    block->events[0] = event(910'000, 2, 0x0F); // E rises
    block->events[1] = event(955'000, 2, 0x0B); // E falls
    block->events[2] = event(962'000, 0, 0x80); // D7 rises
    block->events_total = 3;

    bench::WaveformView view;
    view.resize(444, 260);
    view.show_history(bench::bus_history(*block), block->time_us);
    const QImage image = view.grab().toImage();
    // The window ends at the last update: 400 ms over 399 pixels from x = 44.
    QCOMPARE(view.x_of(600'000), 44);
    QCOMPARE(view.x_of(1'000'000), 44 + 399);
    QCOMPARE(view.x_of(910'000), 44 + 309);
    const QColor e_colour(0xff, 0xd0, 0x40);
    const QColor data_colour(0x50, 0xe0, 0x80);
    const auto e_at = [&](std::uint64_t time_us, int y) {
        return image.pixelColor(view.x_of(time_us), y) == e_colour;
    };
    const int high = view.high_y(0);
    const int low = view.low_y(0);
    const int middle = (high + low) / 2;
    QVERIFY(e_at(930'000, high) && !e_at(930'000, low));
    QVERIFY(!e_at(820'000, high) && e_at(820'000, low));
    QVERIFY(!e_at(980'000, high) && e_at(980'000, low));
    QVERIFY(e_at(910'000, middle) && e_at(955'000, middle));
    QVERIFY(!e_at(905'000, middle) && !e_at(960'000, middle));
    const int d7_middle = (view.high_y(3) + view.low_y(3)) / 2;
    QCOMPARE(image.pixelColor(view.x_of(962'000), d7_middle), data_colour);
    QVERIFY(image.pixelColor(view.x_of(958'000), d7_middle) != data_colour);
}

// Cut short, grown or emptied after each step of reading it, the block is refused.
void BenchTest::refusesABlockCutAtEveryStep() {
    SharedBlock shared(unique_name("cut"));
    bench::StateMapping mapping(shared.name());
    bench::BenchWindow window(shared.name());
    const auto block = valid_block();
    block->sequence = 2;
    auto copy = std::make_unique<sim::PublishedState>();
    const std::size_t full = sizeof *block;
    for (const std::size_t size : {std::size_t{0}, std::size_t{14}, full - 1, full + 1}) {
        const QString refusal = QStringLiteral("holds %1 bytes").arg(size);
        for (int step = 0; step < 3; ++step) {
            shared.write(*block, full);
            window.refresh();
            QCOMPARE(mapping.update(), bench::StateMapping::Status::live);
            if (step > 0)
                QCOMPARE(mapping.sequence(), 2u);
            if (step > 1)
                QVERIFY(mapping.snapshot(*copy));
            shared.cut(size);
            QVERIFY(!mapping.snapshot(*copy));
            QCOMPARE(mapping.status(), bench::StateMapping::Status::invalid);
            QVERIFY(QString::fromStdString(mapping.problem()).contains(refusal));
            QCOMPARE(mapping.sequence(), 0u);
            QCOMPARE(mapping.update(), bench::StateMapping::Status::invalid);
            window.refresh();
            QVERIFY(window.status()->text().contains(refusal));
        }
    }
}

// A port publishing flat out, opened anew now and then, and a bench polling it while the block
// is cut short, grown, emptied and replaced over and over: both live on, the bench says what it
// found, and it follows the next good block.
void BenchTest::survivesBlocksCutAndReplacedUnderARunningPort() {
    SharedBlock shared(unique_name("stress"));
    qputenv("LUMIVEX_SIM_CLOCK", "instant");
    qputenv("LUMIVEX_SIM_STATE", QByteArray::fromStdString(shared.name()));
    void* library = dlopen(SIM_PORT_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    QVERIFY(library != nullptr);
    const auto opencom = reinterpret_cast<PortOpencom>(dlsym(library, "OPENCOM"));
    const auto closecom = reinterpret_cast<PortClosecom>(dlsym(library, "CLOSECOM"));
    const auto outport = reinterpret_cast<PortOutport>(dlsym(library, "OUTPORT"));

    std::atomic<bool> stop = false;
    std::atomic<int> opened = 0;
    std::thread writer([&] {
        while (!stop) {
            opened += opencom("LPT1:");
            for (int value = 0; value < 2000; ++value)
                outport(0x378, value & 0xFF);
            closecom();
        }
    });
    std::thread vandal([&] {
        const auto valid = valid_block();
        const auto garbage = std::make_unique<sim::PublishedState>();
        std::memset(garbage.get(), 0xA5, sizeof *garbage);
        const std::size_t full = sizeof *garbage;
        const std::size_t sizes[] = {0, 100, full + 4096, full};
        // Every other step leaves a whole block for the bench to start reading.
        for (int round = 0; !stop; ++round) {
            shared.overwrite(*valid);
            if (round % 5 == 4)
                shared.write(*garbage, full);
            else
                shared.cut(sizes[round % 5]);
        }
    });
    bench::BenchWindow window(shared.name());
    QElapsedTimer running;
    running.start();
    int refusals = 0;
    while (running.elapsed() < 2000) {
        window.refresh();
        QCoreApplication::processEvents();
        const QString status = window.status()->text();
        if (status.contains(QStringLiteral("bytes;")) || status.startsWith(QStringLiteral("Not a")))
            ++refusals;
    }
    stop = true;
    writer.join();
    vandal.join();
    QVERIFY(refusals > 0);
    QVERIFY(opened > 1);

    QVERIFY(opencom("LPT1:") != 0);
    window.refresh();
    QVERIFY(window.status()->text().startsWith(QStringLiteral("LPT at 0x378")));
    closecom();
    dlclose(library);
    qunsetenv("LUMIVEX_SIM_STATE");
    qunsetenv("LUMIVEX_SIM_CLOCK");
}

void BenchTest::drawsTheTallFontWithItsCursorRow() {
    auto block = valid_block();
    block->display.font_5x10 = 1;
    block->display.display_on = 1;
    block->display.cursor_on = 1;
    block->display.address_counter = 1;
    block->display.ddram[0] = 0xE7;
    block->display.ddram[1] = 0x20;
    const int g[10] = {0x00, 0x00, 0x0F, 0x11, 0x11, 0x11, 0x0F, 0x01, 0x01, 0x0E};
    std::copy(std::begin(g), std::end(g), block->character_rom[0xE7]);

    bench::LcdView view;
    view.show_state(*block);
    view.resize(400, 200);
    const QImage image = view.grab().toImage();
    const QColor on(0x1d, 0x2b, 0x08);
    const auto dots = [&](int column, int dot_row) {
        int bits = 0;
        for (int dot = 0; dot < 5; ++dot)
            if (image.pixelColor(view.dot_rect(0, column, dot_row, dot).center()) == on)
                bits |= 1 << (4 - dot);
        return bits;
    };
    for (int row = 0; row < 11; ++row) {
        QCOMPARE(dots(0, row), row < 10 ? g[row] : 0x00);
        QCOMPARE(dots(1, row), row == 10 ? 0x1F : 0x00); // the cursor below the descenders
    }
    QVERIFY(view.dot_rect(0, 0, 10, 0).bottom() < view.dot_rect(1, 0, 0, 0).top());
}

QTEST_MAIN(BenchTest)
#include "bench_test.moc"
