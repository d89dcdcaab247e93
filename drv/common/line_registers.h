#pragma once

#include "drv/common/port_failures.h"
#include "port/port_registers.h"

#include <array>
#include <cstdint>
#include <optional>

namespace lumivex::drv {

// Where the display's signals and the LEDs sit among a device's lines: the bit of each in the
// device's masks; none for a signal not connected.
struct LineBits {
    std::optional<int> rs, rw, e; // none for R/W: tied to ground, the display is only written
    std::array<std::optional<int>, 8> data{}; // D0..D7; a 4-bit wiring leaves D0..D3 out
    std::array<std::optional<int>, 8> leds{}; // LEDs on lines of their own; none: on D0..D7
};

// A device whose lines are set one by one (a GPIO chip, a microcontroller board) as the register
// view drives it. Each call returns 0 or the errno value of the failure.
class LineDevice {
public:
    virtual ~LineDevice() = default;
    // The outputs among `mask` take their levels from `levels`; inputs stay as they are.
    virtual int set_levels(std::uint64_t levels, std::uint64_t mask) = 0;
    // The lines `data` become inputs (`input`) or outputs, and every output takes its level from
    // `levels`, without any output driving a line while the display may.
    virtual int set_data_direction(bool input, std::uint64_t data, std::uint64_t levels) = 0;
    // The levels of the lines in `mask`, the rest 0.
    virtual int get_levels(std::uint64_t mask, std::uint64_t& levels) = 0;
};

// DR, SR and CR of a parallel port over a device's lines, as a parallel port drives its pins.
// While R/W is high or CR bit 5 asks for input, the data lines are inputs and SR bits 6..3 (DR
// too) read D7..D4 (D7..D0) from them; the rest of the time SR and DR read what DR drives.
// Without an R/W line the data lines stay outputs. Once the device refuses a call, `failures`
// says so (unless the device already has) and no call reaches the device until reset() again.
class LineRegisters {
public:
    LineRegisters(LineDevice& device, PortFailures& failures)
        : device_(device), failures_(failures) {}

    // The registers as a port opens, over lines laid out as `bits` that the device has as low
    // outputs.
    void reset(const LineBits& bits);
    // A register write or read at an offset from the port's base (lpt_wiring.h); reads give 0xFF
    // once the device has failed.
    void write(int offset, std::uint8_t value);
    int read(int offset);

private:
    std::uint64_t line_values(const lpt::DisplaySignals& signals) const;
    std::uint64_t data_lines(int first_bit) const;
    void stop(const char* what, int error);
    std::optional<std::uint8_t> sample(int first_bit);

    LineDevice& device_;
    PortFailures& failures_;
    LineBits bits_;
    lpt::PortRegisters registers_;
    lpt::DisplaySignals applied_;
};

} // namespace lumivex::drv
