#pragma once

#include "port/port_registers.h"

#include <vector>

namespace lumivex::drv {

// The states to go through from one set of levels to the next, one or two, so that nothing
// changes while E is high: E falls before the rest changes and rises after it. A parallel port
// changes them all in one write; lines set one after another must keep the order.
std::vector<lpt::DisplaySignals> signal_steps(const lpt::DisplaySignals& from,
                                              const lpt::DisplaySignals& to);

} // namespace lumivex::drv
