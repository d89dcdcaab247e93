#pragma once

#include "bench/bus_replay.h"
#include "bench/state_reader.h"

#include <QElapsedTimer>
#include <QWidget>
#include <memory>

class QLabel;
class QPushButton;
class QTimer;

namespace lumivex::sim {
class VcdRecorder;
}

namespace lumivex::bench {

class LcdView;
class LedBar;
class WaveformView;

// The virtual bench: the display, the LEDs, the port's registers and the bus waveform of the
// simulated port, redrawn whenever the port library publishes a change (at most once a frame).
class BenchWindow final : public QWidget {
public:
    explicit BenchWindow(const std::string& state_name);
    ~BenchWindow() override;

    // Follows the block (it may appear, be replaced or be refused) and shows its state.
    void refresh();

    LcdView* lcd() const { return lcd_; }
    LedBar* leds() const { return leds_; }
    WaveformView* waveform() const { return waveform_; }
    QLabel* status() const { return status_; }
    QLabel* registers() const { return registers_; }
    QPushButton* record_button() const { return record_; }

private:
    // Follows the block as refresh() does; true when it is live.
    bool follow_block();
    void poll();
    void set_poll_interval();
    void show_snapshot();
    void start_recording();
    void stop_recording();
    void record_new_events();

    StateReader reader_;
    std::unique_ptr<sim::PublishedState> state_;
    std::uint32_t shown_sequence_ = 0;
    QElapsedTimer since_block_check_;
    QElapsedTimer since_paint_;
    QElapsedTimer clock_;
    bool trace_shown_ = false;

    std::unique_ptr<sim::VcdRecorder> recorder_;
    BusReplay recorded_bus_;
    std::uint64_t next_recorded_event_ = 0;
    QString recording_path_;

    QLabel* status_;
    LcdView* lcd_;
    LedBar* leds_;
    QLabel* registers_;
    WaveformView* waveform_;
    QPushButton* backlight_;
    QPushButton* record_;
    QTimer* timer_;
};

// The registers, the controller's interface state and the counters, as the panel shows them.
QString register_text(const sim::PublishedState& state);

} // namespace lumivex::bench
