#pragma once

#include "drv/sim/hd44780_model.h"
#include "drv/sim/panel.h"

#include <cstdint>

namespace lumivex::sim {

// What the "Lumivex bench" window shows of the open port: the panel, the controller, the
// registers as INPORT reads them and the LEDs.
struct BenchView {
    Panel panel = default_panel;
    Hd44780State display;
    std::uint8_t data_register = 0;
    std::uint8_t status_register = 0;
    std::uint8_t control_register = 0;
    std::uint8_t leds = 0;
};

} // namespace lumivex::sim
