#pragma once

#include "drv/sim/hd44780_model.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct avr_t;
struct avr_irq_t;

// An Arduino Uno (ATmega328P at 16 MHz, simavr) running a firmware image (.hex), its serial port
// a pseudo-terminal (device()), with an HD44780 on its pins as the README wires it, or on a
// PCF8574 backpack at 0x27 on A4/A5. It runs on a thread of its own and never ahead of real time,
// so what the host measures is what a real board gives.
class SimulatedBoard {
public:
    enum class Display { on_pins, on_backpack };

    SimulatedBoard(const std::string& hex_file, Display display);
    ~SimulatedBoard();

    const std::string& device() const { return device_; }

    // Sends bytes through the device and returns the first answer_length bytes that come back
    // (fewer when the board stays silent for a second); what came before is dropped.
    std::vector<std::uint8_t> talk(const std::vector<std::uint8_t>& bytes,
                                   std::size_t answer_length);

    struct Report {
        lumivex::sim::Hd44780State display;
        std::vector<std::uint8_t> led_changes; // D7..D0 as the board drives them
        std::vector<std::uint64_t> led_change_us;
        std::uint64_t bus_conflicts = 0; // the board or the expander drove against the display
        std::uint64_t bytes_from_host = 0;
    };
    // Once the board has run everything sent to it so far (a sync through the device).
    Report settle();

private:
    void run();
    bool step();
    void pump_uart();
    void watch_pins();
    void on_twi(std::uint32_t message);
    std::uint64_t now_us() const;

    avr_t* avr_ = nullptr;
    int master_ = -1;
    std::string device_;
    const bool on_pins_;
    bool uart_full_ = false, transmitter_enabled_ = true, backpack_selected_ = false;
    std::vector<std::uint8_t> to_board_;
    std::uint8_t ports_[4] = {}, backpack_pins_ = 0xFF;
    lumivex::sim::Hd44780 lcd_;
    Report report_;
    std::mutex mutex_; // over the simulation and report_
    std::atomic<bool> stop_ = false;
    std::thread thread_;
};
