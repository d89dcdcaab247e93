#include "drv/gpio/gpio_port.h"

#include "drv/common/failure_text.h"
#include "port/lpt_wiring.h"

#include <cerrno>
#include <cstring>
#include <linux/gpio.h>

namespace lumivex::gpio {

namespace {

std::string open_failure(int error) {
    return error == ENOENT ? "no such chip (ls /dev/gpiochip* lists the chips there are)"
                           : std::strerror(error);
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

drv::LineBits GpioPort::lay_out(const Wiring& wiring) {
    lines_.clear();
    const auto add = [&](const LineOffset& offset, std::string signal) -> std::optional<int> {
        if (!offset)
            return std::nullopt;
        const auto given = wiring.config_lines.find(signal);
        lines_.push_back({*offset, signal, given != wiring.config_lines.end() ? given->second : 0});
        return static_cast<int>(lines_.size()) - 1;
    };
    drv::LineBits bits;
    bits.rs = add(wiring.rs, "rs");
    bits.rw = add(wiring.rw, "rw");
    bits.e = add(wiring.e, "e");
    for (int bit = 0; bit < 8; ++bit)
        bits.data[bit] = add(wiring.data[bit], "d" + std::to_string(bit));
    for (int bit = 0; bit < 8; ++bit)
        bits.leds[bit] = add(wiring.leds[bit], "led" + std::to_string(bit));
    return bits;
}

bool GpioPort::open(const std::string& device_name, const Wirings& wirings) {
    close();
    std::string reason;
    const Wiring* wiring = wirings.of(device_name, "wiring", reason);
    if (wiring == nullptr)
        return failures_.refuse(device_name, reason);
    const drv::LineBits bits = lay_out(*wiring);
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
    registers_.reset(bits);
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

int GpioPort::set_levels(std::uint64_t levels, std::uint64_t mask) {
    gpio_v2_line_values values{levels, mask};
    return device_.ioctl(request_, GPIO_V2_LINE_SET_VALUES_IOCTL, &values);
}

// The direction of the data lines and every output's level in one request.
int GpioPort::set_data_direction(bool input, std::uint64_t data, std::uint64_t levels) {
    gpio_v2_line_config config{};
    config.flags = GPIO_V2_LINE_FLAG_OUTPUT;
    config.attrs[0].attr.id = GPIO_V2_LINE_ATTR_ID_OUTPUT_VALUES;
    config.attrs[0].attr.values = levels;
    config.attrs[0].mask = (std::uint64_t{1} << lines_.size()) - 1;
    config.num_attrs = 1;
    if (input) {
        config.attrs[1].attr.id = GPIO_V2_LINE_ATTR_ID_FLAGS;
        config.attrs[1].attr.flags = GPIO_V2_LINE_FLAG_INPUT;
        config.attrs[1].mask = data;
        config.num_attrs = 2;
    }
    return device_.ioctl(request_, GPIO_V2_LINE_SET_CONFIG_IOCTL, &config);
}

int GpioPort::get_levels(std::uint64_t mask, std::uint64_t& levels) {
    gpio_v2_line_values values{0, mask};
    const int error = device_.ioctl(request_, GPIO_V2_LINE_GET_VALUES_IOCTL, &values);
    levels = values.bits;
    return error;
}

void GpioPort::write(int address, int value) {
    if (const int offset = lpt::register_at(base_, address); offset >= 0)
        registers_.write(offset, static_cast<std::uint8_t>(value));
}

int GpioPort::read(int address) {
    const int offset = lpt::register_at(base_, address);
    return offset >= 0 ? registers_.read(offset) : 0xFF;
}

} // namespace lumivex::gpio
