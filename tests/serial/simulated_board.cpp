#include "simulated_board.h"

#include <avr_extint.h>
#include <avr_ioport.h>
#include <avr_twi.h>
#include <avr_uart.h>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sim_avr.h>
#include <sim_hex.h>
#include <stdexcept>
#include <termios.h>
#include <unistd.h>

using lumivex::sim::BusPins;

namespace {

constexpr std::uint32_t cpu_hz = 16'000'000;
constexpr std::uint8_t backpack_address = 0x27;

// The README's wiring: the Arduino pin of D0..D7, RS, R/W and E.
constexpr int line_pins[11] = {6, 7, 8, 9, 5, 4, 3, 2, 12, 10, 11};
constexpr int rs_line = 8, rw_line = 9, e_line = 10;

// Data-space addresses of PINx (DDRx and PORTx follow) for Arduino pins 0..7 (port D),
// 8..13 (B) and 14..19 (C).
struct PinAddress {
    std::uint16_t pin_register;
    std::uint8_t mask;
};
constexpr PinAddress address_of(int arduino_pin) {
    if (arduino_pin < 8)
        return {0x29, std::uint8_t(1u << arduino_pin)};
    if (arduino_pin < 14)
        return {0x23, std::uint8_t(1u << (arduino_pin - 8))};
    return {0x26, std::uint8_t(1u << (arduino_pin - 14))};
}

avr_irq_t* uart_irq(avr_t* avr, int which) {
    return avr_io_getirq(avr, AVR_IOCTL_UART_GETIRQ('0'), which);
}

// Waits for up to ten seconds for the answer ends with: 's', token, status.
void await_sync(int fd, std::uint8_t token) {
    std::vector<std::uint8_t> received;
    while (received.size() < 3 || received[received.size() - 3] != 's' ||
           received[received.size() - 2] != token) {
        pollfd readable{fd, POLLIN, 0};
        std::uint8_t byte = 0;
        if (poll(&readable, 1, 10'000) != 1 || read(fd, &byte, 1) != 1)
            throw std::runtime_error("the simulated board did not answer a sync");
        received.push_back(byte);
    }
}

} // namespace

SimulatedBoard::SimulatedBoard(const std::string& hex_file, Display display)
    : display_kind_(display) {
    avr_ = avr_make_mcu_by_name("atmega328p");
    ihex_chunk_p chunks = nullptr;
    const int count = read_ihex_chunks(hex_file.c_str(), &chunks);
    if (!avr_ || count <= 0)
        throw std::runtime_error("cannot load " + hex_file + " into an ATmega328P");
    avr_init(avr_);
    avr_->frequency = cpu_hz;
    avr_->sleep = [](avr_t*, avr_cycle_count_t) {}; // run() keeps pace with real time
    for (int i = 0; i < count; ++i)
        avr_loadcode(avr_, chunks[i].data, chunks[i].size, chunks[i].baseaddr);
    free_ihex_chunks(chunks);
    // Otherwise simavr polls INT0 and INT1 (D7 and D6) every cycle while they are low, even
    // with the interrupts off, and falls behind real time.
    avr_extint_set_strict_lvl_trig(avr_, 0, 0);
    avr_extint_set_strict_lvl_trig(avr_, 1, 0);

    std::uint32_t flags = 0; // neither echo the output nor sleep when the firmware polls
    avr_ioctl(avr_, AVR_IOCTL_UART_GET_FLAGS('0'), &flags);
    flags &= ~(AVR_UART_FLAG_STDIO | AVR_UART_FLAG_POLL_SLEEP);
    avr_ioctl(avr_, AVR_IOCTL_UART_SET_FLAGS('0'), &flags);
    avr_irq_register_notify(uart_irq(avr_, UART_IRQ_OUTPUT), on_uart_output, this);
    avr_irq_register_notify(uart_irq(avr_, UART_IRQ_OUT_XOFF), on_uart_xoff, this);
    if (display == Display::on_backpack)
        avr_irq_register_notify(avr_io_getirq(avr_, AVR_IOCTL_TWI_GETIRQ(0), TWI_IRQ_OUTPUT),
                                on_twi, this);

    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0)
        throw std::runtime_error("no pseudo-terminal");
    device_ = ptsname(master_);
    termios raw{};
    tcgetattr(master_, &raw);
    cfmakeraw(&raw);
    tcsetattr(master_, TCSANOW, &raw);
    thread_ = std::thread([this] { run(); });
}

SimulatedBoard::~SimulatedBoard() {
    stop_ = true;
    thread_.join();
    close(master_);
    avr_terminate(avr_);
}

std::uint64_t SimulatedBoard::now_us() const {
    return avr_->cycle / (cpu_hz / 1'000'000);
}

void SimulatedBoard::run() {
    const auto start = std::chrono::steady_clock::now();
    while (!stop_) {
        {
            std::lock_guard lock(mutex_);
            const avr_cycle_count_t until = avr_->cycle + cpu_hz / 10'000;
            while (avr_->cycle < until) {
                const int state = avr_run(avr_);
                if (state == cpu_Done || state == cpu_Crashed)
                    return;
                watch_transmitter();
                if (display_kind_ == Display::on_pins)
                    watch_pins();
            }
            pump_uart();
            report_.simulated_seconds = double(avr_->cycle) / cpu_hz;
        }
        const auto ahead =
            std::chrono::microseconds(now_us()) - (std::chrono::steady_clock::now() - start);
        if (ahead.count() > 0)
            std::this_thread::sleep_for(ahead);
    }
}

// The pseudo-terminal stands for the USB bridge: it holds what the host sent until the UART's
// receive buffer has room.
void SimulatedBoard::pump_uart() {
    if (to_board_.empty()) {
        std::uint8_t buffer[256];
        const ssize_t count = read(master_, buffer, sizeof buffer);
        if (count > 0)
            to_board_.assign(buffer, buffer + count);
    }
    std::size_t sent = 0;
    while (sent < to_board_.size() && !uart_full_)
        avr_raise_irq(uart_irq(avr_, UART_IRQ_INPUT), to_board_[sent++]);
    to_board_.erase(to_board_.begin(), to_board_.begin() + long(sent));
}

void SimulatedBoard::on_uart_output(avr_irq_t*, std::uint32_t value, void* board) {
    const std::uint8_t byte = value;
    (void)!write(static_cast<SimulatedBoard*>(board)->master_, &byte, 1);
}

void SimulatedBoard::on_uart_xoff(avr_irq_t*, std::uint32_t value, void* board) {
    static_cast<SimulatedBoard*>(board)->uart_full_ = value != 0;
}

// simavr 1.6 leaves UDRE0 clear when the transmitter is enabled again (as the Arduino core's
// init() disables it), so the first byte would wait forever; later versions set it, as the chip.
void SimulatedBoard::watch_transmitter() {
    constexpr std::uint16_t ucsr0a = 0xC0, ucsr0b = 0xC1;
    constexpr std::uint8_t udre0 = 1 << 5, txen0 = 1 << 3;
    const bool enabled = avr_->data[ucsr0b] & txen0;
    if (enabled && !transmitter_enabled_)
        avr_->data[ucsr0a] |= udre0;
    transmitter_enabled_ = enabled;
}

void SimulatedBoard::watch_pins() {
    const std::uint8_t* data = avr_->data;
    const std::uint8_t now[6] = {data[0x24], data[0x25], data[0x27],
                                 data[0x28], data[0x2A], data[0x2B]};
    if (std::memcmp(now, ports_, sizeof now) == 0)
        return;
    std::memcpy(ports_, now, sizeof now);
    auto level = [&](int line) {
        const PinAddress at = address_of(line_pins[line]);
        return (data[at.pin_register + 2] & at.mask) != 0;
    };
    auto output = [&](int line) {
        const PinAddress at = address_of(line_pins[line]);
        return (data[at.pin_register + 1] & at.mask) != 0;
    };
    BusPins pins{level(rs_line), level(rw_line), level(e_line), 0};
    std::uint8_t board_drives = 0;
    for (int bit = 0; bit < 8; ++bit) {
        pins.data |= std::uint8_t(level(bit) << bit);
        board_drives |= std::uint8_t(output(bit) << bit);
    }
    lcd_.set_pins(pins, now_us());
    const std::uint8_t lcd_drives = lcd_.driven_lines();
    if (lcd_drives & board_drives)
        ++report_.bus_conflicts;
    for (int bit = 0; bit < 8; ++bit) {
        const PinAddress at = address_of(line_pins[bit]);
        if (lcd_drives & (1u << bit))
            avr_->data[at.pin_register] =
                (data[at.pin_register] & ~at.mask) | ((lcd_.output() >> bit & 1) ? at.mask : 0);
    }
    // A change of D7..D0 spans two port writes: what follows within 10 us is the same change.
    const std::uint8_t leds = pins.data & board_drives;
    if (leds == leds_)
        return;
    if (!report_.led_changes.empty() && now_us() - leds_changed_us_ < 10)
        report_.led_changes.pop_back();
    report_.led_changes.push_back(leds_ = leds);
    leds_changed_us_ = now_us();
}

// A PCF8574: a written 1 is a weak high that whoever drives the pin can pull low.
void SimulatedBoard::on_twi(avr_irq_t*, std::uint32_t message, void* board) {
    static_cast<SimulatedBoard*>(board)->on_backpack(message);
}

void SimulatedBoard::on_backpack(std::uint32_t message) {
    avr_twi_msg_irq_t received;
    received.u.v = message;
    const avr_twi_msg_t& twi = received.u.twi;
    avr_irq_t* answer = avr_io_getirq(avr_, AVR_IOCTL_TWI_GETIRQ(0), TWI_IRQ_INPUT);
    if (twi.msg & TWI_COND_STOP)
        backpack_selected_ = false;
    if (twi.msg & TWI_COND_START) {
        backpack_selected_ = twi.addr >> 1 == backpack_address;
        if (backpack_selected_)
            avr_raise_irq(answer, avr_twi_irq_msg(TWI_COND_ACK, twi.addr, 1));
    }
    if (!backpack_selected_)
        return;
    if (twi.msg & TWI_COND_WRITE) {
        avr_raise_irq(answer, avr_twi_irq_msg(TWI_COND_ACK, twi.addr, 1));
        backpack_latch_ = twi.data;
        // P0 RS, P1 R/W, P2 E, P3 the backlight, P4..P7 D4..D7.
        const std::uint8_t p = backpack_latch_;
        lcd_.set_pins({(p & 1) != 0, (p & 2) != 0, (p & 4) != 0, std::uint8_t(p & 0xF0)}, now_us());
        if (lcd_.driven_lines() & ~p & 0xF0)
            ++report_.bus_conflicts;
    }
    if (twi.msg & TWI_COND_READ) {
        const std::uint8_t lcd_drives = lcd_.driven_lines() & 0xF0;
        const std::uint8_t pins =
            (backpack_latch_ & ~lcd_drives) | (backpack_latch_ & lcd_.output() & lcd_drives);
        avr_raise_irq(answer, avr_twi_irq_msg(TWI_COND_READ, twi.addr, pins));
    }
}

SimulatedBoard::Report SimulatedBoard::settle() {
    const int fd = open(device_.c_str(), O_RDWR | O_NOCTTY);
    termios raw{};
    tcgetattr(fd, &raw);
    cfmakeraw(&raw);
    tcsetattr(fd, TCSANOW, &raw);
    const std::uint8_t token = ++sync_token_;
    const std::uint8_t sync[] = {0, 0, 0, 0, 'S', token};
    const bool sent = write(fd, sync, sizeof sync) == sizeof sync;
    try {
        if (!sent)
            throw std::runtime_error("cannot write to " + device_);
        await_sync(fd, token);
    } catch (...) {
        close(fd);
        throw;
    }
    close(fd);
    std::lock_guard lock(mutex_);
    report_.display = lcd_.state();
    return report_;
}
