#include "simulated_board.h"

#include <avr_extint.h>
#include <avr_ioport.h>
#include <avr_twi.h>
#include <avr_uart.h>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sim_avr.h>
#include <sim_hex.h>
#include <stdexcept>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr std::uint64_t cycles_per_us = 16;

// Where the README wires D0..D7, RS, R/W and E (Arduino pins 6, 7, 8, 9, 5, 4, 3, 2, 12, 10, 11):
// the data-space address of the pin's PINx register (DDRx and PORTx follow) and its bit.
struct Pin {
    std::uint16_t pin_register;
    std::uint8_t mask;
};
constexpr std::uint16_t port_b = 0x23, port_d = 0x29;
constexpr Pin pins[11] = {{port_d, 1 << 6}, {port_d, 1 << 7}, {port_b, 1 << 0}, {port_b, 1 << 1},
                          {port_d, 1 << 5}, {port_d, 1 << 4}, {port_d, 1 << 3}, {port_d, 1 << 2},
                          {port_b, 1 << 4}, {port_b, 1 << 2}, {port_b, 1 << 3}};

avr_irq_t* uart_irq(avr_t* avr, int which) {
    return avr_io_getirq(avr, AVR_IOCTL_UART_GETIRQ('0'), which);
}

int open_raw(const char* path, int flags) {
    const int fd = open(path, flags | O_NOCTTY);
    termios raw{};
    tcgetattr(fd, &raw);
    cfmakeraw(&raw);
    tcsetattr(fd, TCSANOW, &raw);
    return fd;
}

} // namespace

SimulatedBoard::SimulatedBoard(const std::string& hex_file, Display display)
    : on_pins_(display == Display::on_pins) {
    avr_ = avr_make_mcu_by_name("atmega328p");
    ihex_chunk_p chunks = nullptr;
    const int count = read_ihex_chunks(hex_file.c_str(), &chunks);
    master_ = open_raw("/dev/ptmx", O_RDWR | O_NONBLOCK);
    if (!avr_ || count <= 0 || grantpt(master_) != 0 || unlockpt(master_) != 0)
        throw std::runtime_error("cannot run " + hex_file + " on a simulated board");
    device_ = ptsname(master_);
    avr_init(avr_);
    avr_->frequency = cycles_per_us * 1'000'000;
    avr_->sleep = [](avr_t*, avr_cycle_count_t) {}; // run() keeps to real time
    for (int i = 0; i < count; ++i)
        avr_loadcode(avr_, chunks[i].data, chunks[i].size, chunks[i].baseaddr);
    free_ihex_chunks(chunks);
    std::free(chunks); // which simavr 1.6 leaves
    // simavr would poll INT0 and INT1 (D7, D6) every cycle while they are low, interrupts off or
    // not, and fall behind real time.
    avr_extint_set_strict_lvl_trig(avr_, 0, 0);
    avr_extint_set_strict_lvl_trig(avr_, 1, 0);
    std::uint32_t flags = 0; // neither echo the output nor sleep when the firmware polls
    avr_ioctl(avr_, AVR_IOCTL_UART_SET_FLAGS('0'), &flags);
    avr_irq_register_notify(
        uart_irq(avr_, UART_IRQ_OUTPUT),
        [](avr_irq_t*, std::uint32_t value, void* fd) {
            const std::uint8_t byte = value;
            (void)!write(*static_cast<int*>(fd), &byte, 1);
        },
        &master_);
    avr_irq_register_notify(
        uart_irq(avr_, UART_IRQ_OUT_XOFF),
        [](avr_irq_t*, std::uint32_t full, void* flag) { *static_cast<bool*>(flag) = full; },
        &uart_full_);
    if (!on_pins_)
        avr_irq_register_notify(
            avr_io_getirq(avr_, AVR_IOCTL_TWI_GETIRQ(0), TWI_IRQ_OUTPUT),
            [](avr_irq_t*, std::uint32_t message, void* board) {
                static_cast<SimulatedBoard*>(board)->on_twi(message);
            },
            this);
    // Until the sketch listens (at most a second), as a board plugged in a while ago.
    while (!(avr_->data[0xC1] & 1 << 4) && avr_->cycle < 1'000'000 * cycles_per_us && step()) {
    }
    thread_ = std::thread([this] { run(); });
}

SimulatedBoard::~SimulatedBoard() {
    stop_ = true;
    thread_.join();
    close(master_);
    avr_terminate(avr_);
}

std::uint64_t SimulatedBoard::now_us() const {
    return avr_->cycle / cycles_per_us;
}

// A millisecond at a time, once real time has passed it (so never ahead, and as late as USB
// delivers), taking in what the host sent every 100 us of it.
void SimulatedBoard::run() {
    const auto start = std::chrono::steady_clock::now();
    while (!stop_) {
        std::this_thread::sleep_until(start + std::chrono::microseconds(now_us() + 1000));
        const std::lock_guard lock(mutex_);
        for (int slice = 0; slice < 10; ++slice) {
            for (const avr_cycle_count_t until = avr_->cycle + 100 * cycles_per_us;
                 avr_->cycle < until;)
                if (!step())
                    return;
            pump_uart();
        }
    }
}

// simavr 1.6 leaves UDRE0 clear when the transmitter is enabled again (the Arduino core's init()
// disables it), so the first byte would wait forever; the chip, and later simavr, set it.
bool SimulatedBoard::step() {
    const int state = avr_run(avr_);
    const bool transmitter = avr_->data[0xC1] & 1 << 3; // UCSR0B TXEN0
    if (transmitter && !transmitter_enabled_)
        avr_->data[0xC0] |= 1 << 5; // UCSR0A UDRE0
    transmitter_enabled_ = transmitter;
    if (on_pins_)
        watch_pins();
    return state != cpu_Done && state != cpu_Crashed;
}

// The pseudo-terminal stands for the USB bridge: it keeps what the host sent until the UART
// has room.
void SimulatedBoard::pump_uart() {
    std::uint8_t buffer[256];
    const ssize_t count = to_board_.empty() ? read(master_, buffer, sizeof buffer) : 0;
    to_board_.insert(to_board_.end(), buffer, buffer + std::max<ssize_t>(count, 0));
    std::size_t sent = 0;
    for (; sent < to_board_.size() && !uart_full_; ++sent)
        avr_raise_irq(uart_irq(avr_, UART_IRQ_INPUT), to_board_[sent]);
    to_board_.erase(to_board_.begin(), to_board_.begin() + long(sent));
    report_.bytes_from_host += sent;
}

void SimulatedBoard::watch_pins() {
    std::uint8_t* data = avr_->data;
    const std::uint8_t now[4] = {data[port_b + 1], data[port_b + 2], data[port_d + 1],
                                 data[port_d + 2]};
    if (std::memcmp(now, ports_, sizeof now) == 0)
        return;
    std::memcpy(ports_, now, sizeof now);
    const auto bit = [&](int line, int offset) {
        return (data[pins[line].pin_register + offset] & pins[line].mask) != 0;
    };
    lumivex::sim::BusPins bus{bit(8, 2), bit(9, 2), bit(10, 2), 0};
    std::uint8_t driven = 0;
    for (int line = 0; line < 8; ++line) {
        bus.data |= std::uint8_t(bit(line, 2) << line);
        driven |= std::uint8_t(bit(line, 1) << line);
    }
    lcd_.set_pins(bus, now_us());
    report_.bus_conflicts += (lcd_.driven_lines() & driven) != 0;
    for (int line = 0; line < 8; ++line)
        if (lcd_.driven_lines() >> line & 1)
            data[pins[line].pin_register] = (data[pins[line].pin_register] & ~pins[line].mask) |
                                            (lcd_.output() >> line & 1 ? pins[line].mask : 0);
    // A change of D7..D0 takes two port writes: the second is part of the same change.
    const std::uint8_t leds = bus.data & driven;
    auto& changes = report_.led_changes;
    if (leds == (changes.empty() ? 0 : changes.back()))
        return;
    if (!changes.empty() && now_us() - report_.led_change_us.back() < 10) {
        changes.pop_back();
        report_.led_change_us.pop_back();
    }
    changes.push_back(leds);
    report_.led_change_us.push_back(now_us());
}

// A PCF8574 at 0x27: a pin written 1 is a weak high that the display can pull low. P0 RS,
// P1 R/W, P2 E, P3 the backlight, P4..P7 D4..D7.
void SimulatedBoard::on_twi(std::uint32_t message) {
    avr_twi_msg_irq_t received{};
    received.u.v = message;
    const avr_twi_msg_t twi = received.u.twi;
    avr_irq_t* answer = avr_io_getirq(avr_, AVR_IOCTL_TWI_GETIRQ(0), TWI_IRQ_INPUT);
    if (twi.msg & (TWI_COND_START | TWI_COND_STOP))
        backpack_selected_ = twi.msg & TWI_COND_START && twi.addr >> 1 == 0x27;
    if (!backpack_selected_)
        return;
    if (twi.msg & (TWI_COND_START | TWI_COND_WRITE))
        avr_raise_irq(answer, avr_twi_irq_msg(TWI_COND_ACK, twi.addr, 1));
    if (twi.msg & TWI_COND_WRITE) {
        const std::uint8_t p = backpack_pins_ = twi.data;
        lcd_.set_pins({(p & 1) != 0, (p & 2) != 0, (p & 4) != 0, std::uint8_t(p & 0xF0)}, now_us());
        report_.bus_conflicts += (lcd_.driven_lines() & ~p & 0xF0) != 0;
    }
    if (twi.msg & TWI_COND_READ)
        avr_raise_irq(answer,
                      avr_twi_irq_msg(TWI_COND_READ, twi.addr,
                                      backpack_pins_ & (lcd_.output() | ~lcd_.driven_lines())));
}

std::vector<std::uint8_t> SimulatedBoard::talk(const std::vector<std::uint8_t>& bytes,
                                               std::size_t answer_length) {
    const int fd = open_raw(device_.c_str(), O_RDWR);
    tcflush(fd, TCIFLUSH);
    std::vector<std::uint8_t> answer(answer_length);
    std::size_t got = 0;
    pollfd readable{fd, POLLIN, 0};
    if (write(fd, bytes.data(), bytes.size()) == ssize_t(bytes.size()))
        while (got < answer_length && poll(&readable, 1, 1000) == 1)
            got += std::size_t(std::max<ssize_t>(read(fd, &answer[got], answer_length - got), 0));
    close(fd);
    answer.resize(got);
    return answer;
}

SimulatedBoard::Report SimulatedBoard::settle() {
    const std::vector<std::uint8_t> answer = talk({0, 0, 0, 0, 'S', 0x5A}, 3);
    if (answer.size() != 3 || answer[0] != 's' || answer[1] != 0x5A)
        throw std::runtime_error("the simulated board did not answer a sync");
    const std::lock_guard lock(mutex_);
    report_.display = lcd_.state();
    return report_;
}
