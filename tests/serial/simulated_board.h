#pragma once

#include "drv/sim/hd44780_model.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct avr_t;
struct avr_irq_t;

// An ATmega328P at 16 MHz under simavr, running a firmware image (.hex) as an Arduino Uno would:
// its UART on a pseudo-terminal (the host opens device() as the board's serial port), and an
// HD44780 on its pins as the README wires it, or on a PCF8574 backpack at 0x27 on its TWI pins.
// Simulated time never runs ahead of real time, so what the host measures is what a real board
// would give. The simulation runs on a thread of its own from construction to destruction.
class SimulatedBoard {
public:
    enum class Display { on_pins, on_backpack };

    SimulatedBoard(const std::string& hex_file, Display display);
    ~SimulatedBoard();
    SimulatedBoard(const SimulatedBoard&) = delete;
    SimulatedBoard& operator=(const SimulatedBoard&) = delete;

    const std::string& device() const { return device_; }

    struct Report {
        lumivex::sim::Hd44780State display;
        std::vector<std::uint8_t> led_changes; // D7..D0 as driven, at each change
        std::uint64_t bus_conflicts = 0; // the board drove a data line the display was driving
        double simulated_seconds = 0;
    };
    // Once the board has run everything sent to it so far (a sync through the device).
    Report settle();

private:
    void run();
    void pump_uart();
    void watch_transmitter();
    void watch_pins();
    void on_backpack(std::uint32_t message);
    std::uint64_t now_us() const;
    static void on_uart_output(avr_irq_t*, std::uint32_t value, void* board);
    static void on_uart_xoff(avr_irq_t*, std::uint32_t value, void* board);
    static void on_twi(avr_irq_t*, std::uint32_t value, void* board);

    Display display_kind_;
    avr_t* avr_ = nullptr;
    avr_irq_t* twi_irqs_ = nullptr;
    int master_ = -1;
    std::string device_;
    bool uart_full_ = false;
    bool transmitter_enabled_ = true; // as simavr resets it
    std::vector<std::uint8_t> to_board_;
    std::uint8_t ports_[6] = {}; // PORTB, DDRB, PORTC, DDRC, PORTD, DDRD as last seen
    bool backpack_selected_ = false;
    std::uint8_t backpack_latch_ = 0xFF;
    std::uint8_t leds_ = 0;
    std::uint64_t leds_changed_us_ = 0;
    std::uint8_t sync_token_ = 0;
    lumivex::sim::Hd44780 lcd_;
    Report report_;
    std::mutex mutex_; // over lcd_ and report_
    std::atomic<bool> stop_ = false;
    std::thread thread_;
};
