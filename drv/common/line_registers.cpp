#include "drv/common/line_registers.h"

#include "drv/common/signal_steps.h"

namespace lumivex::drv {

namespace {

std::uint64_t bit(const std::optional<int>& index) {
    return index ? std::uint64_t{1} << *index : 0;
}

} // namespace

void LineRegisters::reset(const LineBits& bits) {
    bits_ = bits;
    registers_ = lpt::PortRegisters();
    applied_ = registers_.signals();
}

// The levels of every line, one bit each.
std::uint64_t LineRegisters::line_values(const lpt::DisplaySignals& signals) const {
    std::uint64_t values = (signals.rs ? bit(bits_.rs) : 0) | (signals.rw ? bit(bits_.rw) : 0) |
                           (signals.e ? bit(bits_.e) : 0);
    for (int data_bit = 0; data_bit < 8; ++data_bit)
        if ((signals.data >> data_bit & 1) != 0)
            values |= bit(bits_.data[data_bit]) | bit(bits_.leds[data_bit]);
    return values;
}

// The bits of D7..D<first_bit>.
std::uint64_t LineRegisters::data_lines(int first_bit) const {
    std::uint64_t mask = 0;
    for (int data_bit = first_bit; data_bit < 8; ++data_bit)
        mask |= bit(bits_.data[data_bit]);
    return mask;
}

// A device that has said why it failed is not contradicted.
void LineRegisters::stop(const char* what, int error) {
    if (failures_.answering())
        failures_.stop_changes(what, error);
}

void LineRegisters::write(int offset, std::uint8_t value) {
    if (!failures_.answering())
        return;
    registers_.write(offset, value);
    lpt::DisplaySignals target = registers_.signals();
    if (!bits_.rw) // R/W on ground: the display never drives the data lines
        target.data_released = false;
    for (const lpt::DisplaySignals& step : signal_steps(applied_, target)) {
        const std::uint64_t levels = line_values(step);
        if (step.data_released != applied_.data_released) {
            const int error = device_.set_data_direction(step.data_released, data_lines(0), levels);
            if (error != 0)
                return stop("changing the data lines' direction", error);
        } else {
            // Only outputs are set; released data lines keep their direction.
            const std::uint64_t outputs = step.data_released ? ~data_lines(0) : ~std::uint64_t{0};
            const std::uint64_t changed = (levels ^ line_values(applied_)) & outputs;
            if (const int error = changed != 0 ? device_.set_levels(levels, changed) : 0;
                error != 0)
                return stop("setting the lines", error);
        }
        applied_ = step;
    }
}

// D7..D<first_bit> as the released lines show them, the other bits as DR drives them.
std::optional<std::uint8_t> LineRegisters::sample(int first_bit) {
    std::uint8_t levels = registers_.data_register();
    if (!applied_.data_released)
        return levels;
    std::uint64_t values = 0;
    if (const int error = device_.get_levels(data_lines(first_bit), values); error != 0) {
        stop("reading the data lines", error);
        return std::nullopt;
    }
    for (int data_bit = first_bit; data_bit < 8; ++data_bit)
        if (bits_.data[data_bit])
            levels =
                static_cast<std::uint8_t>((levels & ~(1 << data_bit)) |
                                          ((values & bit(bits_.data[data_bit])) != 0) << data_bit);
    return levels;
}

int LineRegisters::read(int offset) {
    if (!failures_.answering())
        return 0xFF;
    switch (offset) {
    case lpt::data_register: {
        const auto levels = sample(0);
        return levels ? *levels : 0xFF;
    }
    case lpt::status_register: {
        const auto levels = sample(4);
        return levels ? lpt::status_value(*levels) : 0xFF;
    }
    default:
        return registers_.control_register();
    }
}

} // namespace lumivex::drv
