#include "drv/gpio/gpio_port.h"

#include "drv/common/failure_text.h"
#include "port/lpt_wiring.h"

#include <cerrno>
#include <cstring>
#include <linux/gpio.h>

namespace lumivex::gpio {

namespace {

using lpt::control_register;
using lpt::data_register;
using lpt::status_register;

std::string open_failure(int error) {
    return error == ENOENT ? "no such chip (ls /dev/gpiochip* lists the chips there are)"
                           : std::strerror(error);
}

std::uint64_t bit(const std::optional<int>& index) {
    return index ? std::uint64_t{1} << *index : 0;
}

} // namespace

// The first line of the wiring that the chip lacks, with where it was given; empty when the chip
// has them all. The kernel would refuse the whole request with EINVAL.
std::string GpioPort::missing_line(int chip, const drv::ConfigSource& source) const {
    gpiochip_info info{};
    if (const int error = device_.ioctl(chip, GPIO_GET_CHIPINFO_IOCTL, &info); error != 0)
        return error == ENOTTY ? "not a GPIO chip"
                               : std::string("no chip information: ") + std::strerror(error);
    for (const Line& line : lines_) {
        if (line.offset < info.lines)
            continue;
        const std::string given =
            line.config_line != 0
                ? "line " + std::to_string(line.config_line) + " of " + source.path
                : "the built-in wiring";
        return line.signal + " = " + std::to_string(line.offset) + " (" + given +
               ") is past the chip's " + std::to_string(info.lines) + " lines (0.." +
               std::to_string(info.lines - 1) + ")";
    }
    return {};
}

// Requests the laid-out lines as low outputs; why not, or empty when they are had.
std::string GpioPort::request_lines(int chip) {
    gpio_v2_line_request request{};
    for (std::size_t index = 0; index < lines_.size(); ++index)
        request.offsets[index] = lines_[index].offset;
    request.num_lines = static_cast<std::uint32_t>(lines_.size());
    std::strncpy(request.consumer, "lumivex", sizeof request.consumer - 1);
    request.config.flags = GPIO_V2_LINE_FLAG_OUTPUT; // low: no line has a level yet
    if (const int error = device_.ioctl(chip, GPIO_V2_GET_LINE_IOCTL, &request); error != 0)
        return request_failure(chip, error);
    request_ = request.fd;
    return {};
}

// The consumer of the first line another one holds, for a request the kernel refused as busy.
std::string GpioPort::request_failure(int chip, int error) const {
    if (error != EBUSY)
        return std::string("cannot request the lines: ") + std::strerror(error);
    for (const Line& line : lines_) {
        gpio_v2_line_info info{};
        info.offset = line.offset;
        if (device_.ioctl(chip, GPIO_V2_GET_LINEINFO_IOCTL, &info) != 0 ||
            (info.flags & GPIO_V2_LINE_FLAG_USED) == 0)
            continue;
        const std::string consumer(info.consumer, strnlen(info.consumer, sizeof info.consumer));
        return "line " + std::to_string(line.offset) + " (" + line.signal + ") is held by " +
               (consumer.empty() ? "another consumer" : "\"" + consumer + "\"");
    }
    return "a line is held by another consumer";
}

void GpioPort::lay_out(const Wiring& wiring) {
    lines_.clear();
    const auto add = [&](const LineOffset& offset, std::string signal) -> std::optional<int> {
        if (!offset)
            return std::nullopt;
        const auto given = wiring.config_lines.find(signal);
        lines_.push_back({*offset, signal, given != wiring.config_lines.end() ? given->second : 0});
        return static_cast<int>(lines_.size()) - 1;
    };
    rs_ = add(wiring.rs, "rs");
    rw_ = add(wiring.rw, "rw");
    e_ = add(wiring.e, "e");
    for (int bit = 0; bit < 8; ++bit)
        data_[bit] = add(wiring.data[bit], "d" + std::to_string(bit));
    for (int bit = 0; bit < 8; ++bit)
        leds_[bit] = add(wiring.leds[bit], "led" + std::to_string(bit));
}

bool GpioPort::open(const std::string& device_name, const Wirings& wirings) {
    close();
    std::string reason;
    const Wiring* wiring = wirings.of(device_name, "wiring", reason);
    if (wiring == nullptr)
        return failures_.refuse(device_name, reason);
    lay_out(*wiring);
    const int chip = device_.open(wiring->chip);
    if (chip < 0 && (-chip == EACCES || -chip == EPERM))
        return failures_.refuse(wiring->chip, drv::permission_reason("gpio"));
    if (chip < 0)
        return failures_.refuse(wiring->chip, open_failure(-chip) + wirings.source.cure());

    reason = missing_line(chip, wirings.source);
    if (reason.empty())
        reason = request_lines(chip);
    device_.close(chip);
    if (!reason.empty())
        return failures_.refuse(wiring->chip, reason + wirings.source.cure());
    registers_ = lpt::PortRegisters();
    applied_ = registers_.signals();
    failures_.opened(wiring->chip);
    base_ = lpt::base_address_of(device_name);
    return true;
}

void GpioPort::close() {
    if (base_ == 0)
        return;
    device_.close(request_);
    request_ = -1;
    base_ = 0;
}

// The levels of every line of the request, one bit each.
std::uint64_t GpioPort::line_values(const lpt::DisplaySignals& signals) const {
    std::uint64_t values =
        (signals.rs ? bit(rs_) : 0) | (signals.rw ? bit(rw_) : 0) | (signals.e ? bit(e_) : 0);
    for (int data_bit = 0; data_bit < 8; ++data_bit)
        if ((signals.data >> data_bit & 1) != 0)
            values |= bit(data_[data_bit]) | bit(leds_[data_bit]);
    return values;
}

// The request's bits of D7..D<first_bit>.
std::uint64_t GpioPort::data_lines(int first_bit) const {
    std::uint64_t mask = 0;
    for (int data_bit = first_bit; data_bit < 8; ++data_bit)
        mask |= bit(data_[data_bit]);
    return mask;
}

// The direction of the data lines and every output's level in one request; 0 or the errno value.
int GpioPort::configure(const lpt::DisplaySignals& signals) {
    gpio_v2_line_config config{};
    config.flags = GPIO_V2_LINE_FLAG_OUTPUT;
    config.attrs[0].attr.id = GPIO_V2_LINE_ATTR_ID_OUTPUT_VALUES;
    config.attrs[0].attr.values = line_values(signals);
    config.attrs[0].mask = (std::uint64_t{1} << lines_.size()) - 1;
    config.num_attrs = 1;
    if (signals.data_released) {
        config.attrs[1].attr.id = GPIO_V2_LINE_ATTR_ID_FLAGS;
        config.attrs[1].attr.flags = GPIO_V2_LINE_FLAG_INPUT;
        config.attrs[1].mask = data_lines(0);
        config.num_attrs = 2;
    }
    return device_.ioctl(request_, GPIO_V2_LINE_SET_CONFIG_IOCTL, &config);
}

void GpioPort::apply(lpt::DisplaySignals target) {
    if (!rw_) // R/W on ground: the display never drives the data lines
        target.data_released = false;
    for (const lpt::DisplaySignals& step : drv::signal_steps(applied_, target)) {
        if (step.data_released != applied_.data_released) {
            if (const int error = configure(step); error != 0)
                return failures_.stop_changes("changing the data lines' direction", error);
        } else {
            // The kernel sets outputs only; released data lines keep their direction.
            const std::uint64_t outputs = step.data_released ? ~data_lines(0) : ~std::uint64_t{0};
            gpio_v2_line_values values{line_values(step),
                                       (line_values(step) ^ line_values(applied_)) & outputs};
            if (values.mask != 0) {
                const int error = device_.ioctl(request_, GPIO_V2_LINE_SET_VALUES_IOCTL, &values);
                if (error != 0)
                    return failures_.stop_changes("setting the lines", error);
            }
        }
        applied_ = step;
    }
}

void GpioPort::write(int address, int value) {
    const int offset = lpt::register_at(base_, address);
    if (offset < 0 || !failures_.answering())
        return;
    registers_.write(offset, static_cast<std::uint8_t>(value));
    apply(registers_.signals());
}

// D7..D<first_bit> as the released lines show them, the other bits as DR drives them.
std::optional<std::uint8_t> GpioPort::sample(int first_bit) {
    std::uint8_t levels = registers_.data_register();
    if (!applied_.data_released)
        return levels;
    gpio_v2_line_values values{0, data_lines(first_bit)};
    if (const int error = device_.ioctl(request_, GPIO_V2_LINE_GET_VALUES_IOCTL, &values);
        error != 0) {
        failures_.stop_changes("reading the data lines", error);
        return std::nullopt;
    }
    for (int data_bit = first_bit; data_bit < 8; ++data_bit)
        if (data_[data_bit])
            levels =
                static_cast<std::uint8_t>((levels & ~(1 << data_bit)) |
                                          ((values.bits & bit(data_[data_bit])) != 0) << data_bit);
    return levels;
}

int GpioPort::read(int address) {
    const int offset = lpt::register_at(base_, address);
    if (offset < 0 || !failures_.answering())
        return 0xFF;
    switch (offset) {
    case data_register: {
        const auto levels = sample(0);
        return levels ? *levels : 0xFF;
    }
    case status_register: {
        const auto levels = sample(4);
        return levels ? lpt::status_value(*levels) : 0xFF;
    }
    default:
        return registers_.control_register();
    }
}

} // namespace lumivex::gpio
