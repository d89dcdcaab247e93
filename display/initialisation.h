#pragma once

#include "display/bus_cycles.h"

namespace lumivex::display {

// Initialisation by instruction for a 4-bit or 8-bit bus; leaves the display cleared, on,
// with a blinking cursor at address 0. An 8-bit initialisation asks first and, on No, only
// sets the bus width to 4.
void initialise_display(BusWidth width);

} // namespace lumivex::display
