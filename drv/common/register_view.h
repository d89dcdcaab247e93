#pragma once

#include "port/lpt_wiring.h"

#include <cstdint>
#include <vector>

namespace lumivex::drv {

// The levels a display and LEDs on lines of their own (GPIO lines, an I/O expander) get from the
// parallel port registers the program writes, so that they see what they would see on the port.
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

// DR and CR as a parallel port keeps them, and the signals that follow from them. Starts as a
// port opens: DR cleared, the control lines idle (E, RS and R/W low).
class RegisterView {
public:
    // Offsets 0 (DR) and 2 (CR) are written; CR keeps bits 0..3 and 5; others are ignored.
    void write(int offset, std::uint8_t value);

    std::uint8_t data_register() const { return data_; }
    std::uint8_t control_register() const { return control_; }
    DisplaySignals signals() const;

private:
    std::uint8_t data_ = 0;
    std::uint8_t control_ = lpt::control_idle;
};

// The states to go through from one set of levels to the next, one or two, so that nothing
// changes while E is high: E falls before the rest changes and rises after it. A parallel port
// changes them all in one write; lines set one after another must keep the order.
std::vector<DisplaySignals> signal_steps(const DisplaySignals& from, const DisplaySignals& to);

// SR as the port shows it with the given levels on D7..D0: D7..D4 on bits 6..3, the other bits
// as a port with nothing else on it reads them (bits 2..0 high, bit 7 low).
std::uint8_t status_register(std::uint8_t data_lines);

} // namespace lumivex::drv
