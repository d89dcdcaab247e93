#include "support/mcp2221_model.h"

#include <algorithm>

namespace lumivex::test {

namespace {

using Report = Mcp2221Model::Report;

// Answers' byte 1.
constexpr std::uint8_t completed = 0x00;
constexpr std::uint8_t engine_busy = 0x01;
constexpr std::uint8_t read_failed = 0x41;
// Status/set parameters: byte 2 asks for a cancel, byte 3 for a speed (divider in byte 4); the
// answer says what became of each.
constexpr std::uint8_t cancel = 0x10;
constexpr std::uint8_t was_idle = 0x11;
constexpr std::uint8_t set_speed = 0x20;
constexpr std::uint8_t speed_refused = 0x21;
constexpr std::uint8_t address_nacked_bit = 0x40; // status byte 20
constexpr std::uint8_t read_failure_length = 127;
constexpr std::size_t most_data = 60; // bytes a report carries

Report answer_to(std::uint8_t command) {
    Report answer{};
    answer[0] = command;
    return answer;
}

// The engine busy: it repeats its state.
Report busy(std::uint8_t code, std::uint8_t state) {
    Report answer = answer_to(code);
    answer[1] = engine_busy;
    answer[2] = state;
    return answer;
}

unsigned length_of(const Report& command) {
    return std::min<unsigned>(command[1] | command[2] << 8, most_data);
}

} // namespace

std::optional<Report> Mcp2221Model::answer(const Report& command) {
    if (!plugged_)
        return std::nullopt;
    const std::uint8_t code = command[0];
    if (code == 0x10)
        return status(command);
    if (code == 0x90 || code == 0x92 || code == 0x94) // 0x92 repeated start, 0x94 no stop
        return state_ != idle ? busy(code, state_) : write(command);
    if (code == 0x91 || code == 0x93) // 0x93 with a repeated start
        return state_ != idle ? busy(code, state_) : read(command);
    if (code == 0x40)
        return get_data();
    if (code == 0x50)
        return set_gpio(command);
    if (code == 0x51)
        return get_gpio();
    return std::nullopt;
}

Report Mcp2221Model::status(const Report& command) {
    Report answer = answer_to(0x10);
    if (command[2] == cancel) {
        answer[2] = state_ == idle ? was_idle : cancel;
        state_ = idle;
        nacked_ = false;
    }
    if (command[3] == set_speed) {
        answer[3] = state_ == idle ? set_speed : speed_refused;
        answer[4] = command[4];
        divider_ = state_ == idle ? command[4] : divider_;
    }
    answer[8] = state_;
    answer[14] = static_cast<std::uint8_t>(divider_);
    answer[16] = static_cast<std::uint8_t>(address_ << 1);
    answer[20] = nacked_ ? address_nacked_bit : 0;
    answer[22] = 1;                      // SCL
    answer[23] = state_ != stop_timeout; // SDA, held low by the hung transfer
    answer[25] = state_ == read_complete;
    const char revisions[] = {'A', '6', '1', '2'}; // hardware, firmware
    std::copy(std::begin(revisions), std::end(revisions), answer.begin() + 46);
    return answer;
}

// The address byte on the bus: whether the expander acknowledged it.
bool Mcp2221Model::addressed(std::uint8_t address_byte) {
    address_ = address_byte >> 1;
    nacked_ = !expander_ || address_ != *expander_;
    now_us_ += byte_time_us();
    state_ = nacked_ ? address_nack : idle;
    return !nacked_;
}

// Nine bits (eight and the acknowledge) at 12 MHz / (divider + 3).
std::uint64_t Mcp2221Model::byte_time_us() const {
    return 9 * (divider_ + 3) / 12;
}

void Mcp2221Model::clock_out(std::uint8_t pins) {
    now_us_ += byte_time_us();
    pins_ = pins;
    display_.set_pins({.rs = (pins & 1) != 0,
                       .rw = (pins & 2) != 0,
                       .e = (pins & 4) != 0,
                       .data = static_cast<std::uint8_t>(pins & 0xF0)},
                      now_us_);
}

Report Mcp2221Model::write(const Report& command) {
    if (addressed(command[3]))
        for (unsigned at = 0; at < length_of(command); ++at)
            clock_out(command[4 + at]);
    return answer_to(command[0]);
}

Report Mcp2221Model::read(const Report& command) {
    if (addressed(command[3])) {
        // Pins set high only pull up: the display pulls low those of D7..D4 it drives low.
        const auto pulled_low = display_.driven_lines() & ~display_.output() & 0xF0;
        read_length_ = static_cast<std::uint8_t>(length_of(command));
        std::fill_n(read_data_.begin(), read_length_, pins_ & ~pulled_low);
        now_us_ += read_length_ * byte_time_us();
        state_ = read_complete;
    }
    return answer_to(command[0]);
}

Report Mcp2221Model::get_data() {
    Report answer = answer_to(0x40);
    answer[2] = state_;
    if (state_ != read_complete) {
        answer[1] = state_ == address_nack ? completed : read_failed;
        answer[3] = read_failure_length;
        return answer;
    }
    answer[3] = read_length_;
    std::copy_n(read_data_.begin(), read_length_, answer.begin() + 4);
    state_ = idle;
    return answer;
}

// Per pin four bytes from byte 2: change the level?, the level, change the direction?, the
// direction; the answer repeats them.
Report Mcp2221Model::set_gpio(const Report& command) {
    Report answer = answer_to(0x50);
    for (std::size_t pin = 0; pin < gpio_levels_.size(); ++pin) {
        const std::size_t at = 2 + 4 * pin;
        if (command[at] != 0)
            gpio_levels_[pin] = command[at + 1] != 0;
        if (command[at + 2] != 0)
            gpio_directions_[pin] = command[at + 3] != 0;
        std::copy_n(command.begin() + at, 4, answer.begin() + at);
    }
    return answer;
}

// Per pin from byte 2: its level (an input reads low: nothing drives it) and its direction.
Report Mcp2221Model::get_gpio() const {
    Report answer = answer_to(0x51);
    for (std::size_t pin = 0; pin < gpio_levels_.size(); ++pin) {
        answer[2 + 2 * pin] = gpio_directions_[pin] != 0 ? 0 : gpio_levels_[pin];
        answer[3 + 2 * pin] = gpio_directions_[pin];
    }
    return answer;
}

} // namespace lumivex::test
