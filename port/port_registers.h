#pragma once

#include "port/lpt_wiring.h"

#include <cstdint>

// The parallel port's registers and the display's signals they give, both ways, as the wiring
// in lpt_wiring.h lays them out. Header-only and constexpr, so that the core, the port
// libraries and the bench use the one set of rules without linking anything.
namespace lumivex::lpt {

// The levels the display and the LEDs see.
struct DisplaySignals {
    bool rw = false;
    bool rs = false;
    bool e = false;
    std::uint8_t data = 0; // D7..D0 as DR drives them (the LEDs show it too)
    // The data lines are let go: while R/W is high the display may drive them, and CR bit 5
    // asks for input. Without status inputs of their own, D7..D4 are read on these lines.
    bool data_released = false;
    bool operator==(const DisplaySignals&) const = default;
};

// Whether a CR value asks for input on the data lines (the port stops driving them).
constexpr bool data_input(int control) {
    return (control & control_data_input) != 0;
}

// The signals DR and CR give: R/W and RS inverted by the port, E as written.
constexpr DisplaySignals signals_of(std::uint8_t data, std::uint8_t control) {
    DisplaySignals signals;
    signals.rw = (control & control_rw_low) == 0;
    signals.rs = (control & control_rs_low) == 0;
    signals.e = (control & control_e_high) != 0;
    signals.data = data;
    signals.data_released = signals.rw || data_input(control);
    return signals;
}

// SR as the port shows it with the given levels on D7..D0: D7..D4 on bits 6..3, the other bits
// as a port with nothing else on it reads them (bits 2..0 high, bit 7 low).
constexpr std::uint8_t status_value(std::uint8_t data_lines) {
    return static_cast<std::uint8_t>(status_idle_bits | ((data_lines >> 1) & status_data_bits));
}

// D7..D4 as SR bits 6..3 carry them, back on bits 7..4.
constexpr int data_lines_in_status(int status) {
    return (status & status_data_bits) << 1;
}

// CR with its control lines (C3..C0) idle and its other bits as they were.
constexpr int with_idle_control_lines(int control) {
    return (control & ~control_lines) | control_idle;
}

// DR and CR as a parallel port keeps them. Starts as a port opens: DR cleared, the control
// lines idle (E, RS and R/W low).
class PortRegisters {
public:
    // Offsets 0 (DR) and 2 (CR) are written; CR keeps bits 0..3 and 5. False for any other
    // offset, which holds nothing written.
    constexpr bool write(int offset, std::uint8_t value) {
        if (offset == lpt::data_register)
            data_ = value;
        else if (offset == lpt::control_register)
            control_ = value & control_kept_bits;
        else
            return false;
        return true;
    }

    constexpr std::uint8_t data_register() const { return data_; }
    constexpr std::uint8_t control_register() const { return control_; }
    constexpr bool data_input() const { return lpt::data_input(control_); }
    constexpr DisplaySignals signals() const { return signals_of(data_, control_); }

private:
    std::uint8_t data_ = 0;
    std::uint8_t control_ = control_idle;
};

} // namespace lumivex::lpt
