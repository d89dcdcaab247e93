#include "bench/bench_window.h"

#include "bench/lcd_view.h"
#include "bench/led_bar.h"
#include "bench/waveform_view.h"
#include "drv/sim/vcd_recorder.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStandardPaths>
#include <QTimer>
#include <QVBoxLayout>
#include <cstdio>
#include <time.h>

namespace lumivex::bench {

namespace {

constexpr int poll_ms = 1;
constexpr qint64 frame_ms = 16;
// Paints, and the copies of the block they show, start this far apart at least (about 70 a
// second), and the poll that finds the time over comes up to a millisecond later: a little
// under a frame, so that a change waits no longer than a frame plus the painting (about 1.5 ms
// under Xvfb) to be shown.
constexpr qint64 paint_interval_ms = 14;
constexpr qint64 block_check_ms = 250;

QString byte_line(const char* name, int value) {
    return QStringLiteral("%1 0x%2  %3 %4")
        .arg(QString::fromLatin1(name))
        .arg(value, 2, 16, QLatin1Char('0'))
        .arg(value >> 4, 4, 2, QLatin1Char('0'))
        .arg(value & 0x0F, 4, 2, QLatin1Char('0'));
}

// For measuring how soon a change shows: LUMIVEX_BENCH_TRACE=1 prints each shown update.
bool tracing_requested() {
    return qEnvironmentVariableIntValue("LUMIVEX_BENCH_TRACE") == 1;
}

// The current folder when the user may write there (the run folder the bench was started from in
// a build), else the user's documents, else lumivex/ in their data folder (made when missing): an
// installed bench may run in a folder that is not the user's, such as / or its own run folder.
QString recording_folder() {
    const QString current = QDir::currentPath();
    if (QFileInfo(current).isWritable())
        return current;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty() && QFileInfo(documents).isDir() && QFileInfo(documents).isWritable())
        return documents;
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                         QStringLiteral("/lumivex");
    return QDir().mkpath(data) ? data : current;
}

} // namespace

QString register_text(const sim::PublishedState& s) {
    const sim::PublishedDisplay& d = s.display;
    QStringList lines{byte_line("DR", s.data_register), byte_line("SR", s.status_register),
                      byte_line("CR", s.control_register)};
    lines << QStringLiteral("%1-bit interface%2")
                 .arg(d.eight_bit_interface != 0 ? 8 : 4)
                 .arg(d.eight_bit_interface != 0 ? QString()
                      : d.low_nibble_next != 0   ? QStringLiteral(", low nibble next")
                                                 : QStringLiteral(", high nibble next"));
    lines << QStringLiteral("AC 0x%1 %2   busy at last access: %3")
                 .arg(d.address_counter, 2, 16, QLatin1Char('0'))
                 .arg(d.address_in_cgram != 0 ? QStringLiteral("CGRAM") : QStringLiteral("DDRAM"))
                 .arg(d.busy != 0 ? QStringLiteral("yes") : QStringLiteral("no"));
    lines << QStringLiteral("E pulses %1   port accesses %2").arg(s.e_pulses).arg(s.events_total);
    lines << QStringLiteral("timing violations %1").arg(s.timing_violations);
    return lines.join(QLatin1Char('\n'));
}

BenchWindow::BenchWindow(const std::string& state_name)
    : reader_(state_name), state_(std::make_unique<sim::PublishedState>()),
      trace_shown_(tracing_requested()) {
    setWindowTitle(QStringLiteral("Lumivex bench"));
    status_ = new QLabel(this);
    lcd_ = new LcdView(this);
    leds_ = new LedBar(this);
    registers_ = new QLabel(this);
    registers_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    waveform_ = new WaveformView(this);
    backlight_ = new QPushButton(QStringLiteral("Blue-white backlight"), this);
    backlight_->setCheckable(true);
    record_ = new QPushButton(QStringLiteral("Record VCD"), this);
    record_->setCheckable(true);

    auto* middle = new QHBoxLayout;
    middle->addWidget(leds_, 1);
    middle->addWidget(registers_);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(backlight_);
    buttons->addWidget(record_);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(status_);
    layout->addWidget(lcd_, 2);
    layout->addLayout(middle);
    layout->addWidget(waveform_, 3);
    layout->addLayout(buttons);

    connect(backlight_, &QPushButton::toggled, this, [this](bool blue) {
        lcd_->set_backlight(blue ? Backlight::blue_white : Backlight::yellow_green);
    });
    connect(record_, &QPushButton::toggled, this, [this](bool on) {
        if (on)
            start_recording();
        else
            stop_recording();
    });

    clock_.start();
    timer_ = new QTimer(this);
    connect(timer_, &QTimer::timeout, this, &BenchWindow::poll);
    timer_->setTimerType(Qt::PreciseTimer);
    timer_->setInterval(static_cast<int>(frame_ms));
    refresh();
    timer_->start();
}

BenchWindow::~BenchWindow() = default;

void BenchWindow::refresh() {
    if (follow_block())
        show_snapshot();
}

bool BenchWindow::follow_block() {
    since_block_check_.start();
    switch (reader_.update()) {
    case StateReader::Status::waiting:
        status_->setText(QStringLiteral("Waiting for the simulated port (%1)...")
                             .arg(QString::fromStdString(reader_.name())));
        return false;
    case StateReader::Status::invalid:
        status_->setText(QString::fromStdString(reader_.problem()));
        return false;
    case StateReader::Status::live:
        return true;
    }
    return false;
}

// Polls fast only while an open port can change the block; otherwise once a frame.
void BenchWindow::set_poll_interval() {
    const bool port_open =
        reader_.status() == StateReader::Status::live && state_->base_address != 0;
    const int interval = port_open ? poll_ms : static_cast<int>(frame_ms);
    if (timer_->interval() != interval)
        timer_->setInterval(interval);
}

// Cheap enough to run every millisecond: a copy is taken only after a change, and the windows
// are redrawn at most once a frame. A change is drawn by the first poll after the frame that
// was showing when it came has ended; following the block does not hold it up.
void BenchWindow::poll() {
    lcd_->set_blink_phase(blink_block_shown(clock_.elapsed()));
    if (!since_block_check_.isValid() || since_block_check_.elapsed() >= block_check_ms) {
        const bool was_live = reader_.status() == StateReader::Status::live;
        const bool live = follow_block();
        set_poll_interval();
        if (live && !was_live) {
            show_snapshot();
            return;
        }
    }
    if (reader_.status() != StateReader::Status::live || reader_.sequence() == shown_sequence_)
        return;
    if (since_paint_.isValid() && since_paint_.elapsed() < paint_interval_ms)
        return;
    show_snapshot();
}

void BenchWindow::show_snapshot() {
    if (!reader_.snapshot(*state_)) {
        if (reader_.status() == StateReader::Status::invalid)
            status_->setText(QString::fromStdString(reader_.problem()));
        return;
    }
    since_paint_.start();
    shown_sequence_ = state_->sequence;
    set_poll_interval();
    const sim::PublishedState& s = *state_;
    status_->setText(s.base_address == 0
                         ? QStringLiteral("Port closed - %1x%2 panel").arg(s.columns).arg(s.rows)
                         : QStringLiteral("LPT at 0x%1 - %2x%3 panel")
                               .arg(s.base_address, 0, 16)
                               .arg(s.columns)
                               .arg(s.rows));
    lcd_->show_state(s);
    lcd_->update();
    leds_->show_leds(s.leds);
    registers_->setText(register_text(s));
    waveform_->show_history(bus_history(s), s.time_us);
    if (recorder_)
        record_new_events();
    if (trace_shown_) {
        repaint();
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        std::printf("shown %llu %lld\n", static_cast<unsigned long long>(s.events_total),
                    static_cast<long long>(now.tv_sec) * 1'000'000'000 + now.tv_nsec);
        std::fflush(stdout);
    }
}

void BenchWindow::start_recording() {
    const QString name =
        QStringLiteral("lumivex-bench-%1.vcd")
            .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss")));
    recording_path_ = QDir(recording_folder()).absoluteFilePath(name);
    // The recording starts from the bus as the ring left it.
    recorded_bus_ = BusReplay();
    for (const sim::BusEvent& event : events_since(*state_, 0))
        recorded_bus_.apply(event);
    next_recorded_event_ = state_->events_total;
    recorder_ = std::make_unique<sim::VcdRecorder>(recording_path_.toLocal8Bit().constData(),
                                                   recorded_bus_.bus_signals());
    if (recorder_->ok()) {
        status_->setText(QStringLiteral("Recording to %1").arg(recording_path_));
        return;
    }
    recorder_.reset();
    status_->setText(QStringLiteral("Cannot write %1: nothing is recorded").arg(recording_path_));
    const QSignalBlocker quiet(record_);
    record_->setChecked(false);
}

void BenchWindow::record_new_events() {
    for (const sim::BusEvent& event : events_since(*state_, next_recorded_event_)) {
        recorded_bus_.apply(event);
        recorder_->record(event.time_us, recorded_bus_.bus_signals());
    }
    recorder_->flush(); // the bench may be ended by a signal
    next_recorded_event_ = state_->events_total;
}

void BenchWindow::stop_recording() {
    if (!recorder_)
        return;
    recorder_.reset();
    status_->setText(QStringLiteral("Saved %1").arg(recording_path_));
}

} // namespace lumivex::bench
