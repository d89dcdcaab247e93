#pragma once

#include "drv/sim/hd44780_model.h"

#include <array>
#include <cstdint>
#include <optional>

namespace lumivex::test {

// An MCP2221/MCP2221A USB-to-I2C bridge as its HID reports show it, with the common backpack on
// its bus: a PCF8574 whose pins P0 RS, P1 R/W, P2 E, P3 the backlight and P4..P7 D4..D7 drive
// an HD44780. Commands: 0x10 status/set parameters (cancel, I2C speed), 0x90/0x92/0x94 write,
// 0x91/0x93 read, 0x40 get the data read, 0x50/0x51 set and get GP0..GP3 (GPIO inputs at
// power-on, with nothing driving them). After a NACK or a hung transfer the I2C engine stays
// busy (writes and reads answer 0x01) until a cancel. Time passes only when told, and while the
// bus clocks a byte out at the set speed.
class Mcp2221Model {
public:
    using Report = std::array<std::uint8_t, 64>;

    // One 64-byte output report in; the chip's 64-byte answer, or nothing when the device is
    // unplugged. Every command the chip knows has an answer; others have none.
    std::optional<Report> answer(const Report& command);

    void advance(std::uint64_t microseconds) { now_us_ += microseconds; }
    void move_expander(std::optional<unsigned> address) { expander_ = address; } // none: NACK
    void leave_bus_busy() { state_ = stop_timeout; } // as a program that died mid-transfer
    void unplug() { plugged_ = false; }

    const sim::Hd44780& display() const { return display_; }
    std::uint8_t expander_pins() const { return pins_; }
    unsigned speed_divider() const { return divider_; }
    bool bus_busy() const { return state_ != idle; }
    bool plugged() const { return plugged_; }
    std::uint64_t now_us() const { return now_us_; }

    // Engine states the status report shows (byte 8) and busy answers repeat (byte 2).
    static constexpr std::uint8_t idle = 0x00;
    static constexpr std::uint8_t address_nack = 0x25;
    static constexpr std::uint8_t read_complete = 0x55;
    static constexpr std::uint8_t stop_timeout = 0x62;

private:
    Report status(const Report& command);
    Report write(const Report& command);
    Report read(const Report& command);
    Report get_data();
    Report set_gpio(const Report& command);
    Report get_gpio() const;
    bool addressed(std::uint8_t address_byte);
    std::uint64_t byte_time_us() const;
    void clock_out(std::uint8_t pins);

    sim::Hd44780 display_;
    std::optional<unsigned> expander_ = 0x27;
    std::uint8_t pins_ = 0xFF; // PCF8574 power-on: every pin high
    std::uint8_t state_ = idle;
    bool nacked_ = false;
    unsigned divider_ = 27; // 12 MHz / 400 kHz - 3 at power-on
    unsigned address_ = 0;
    std::array<std::uint8_t, 60> read_data_{};
    std::uint8_t read_length_ = 0;
    bool plugged_ = true;
    std::array<std::uint8_t, 4> gpio_levels_{};
    std::array<std::uint8_t, 4> gpio_directions_{1, 1, 1, 1}; // 1 input, 0 output
    std::uint64_t now_us_ = 0;
};

} // namespace lumivex::test
