#pragma once

#include "drv/sim/windows/bench_view.h"

#include <windows.h>

namespace lumivex::sim {

// The client size the window opens with for a panel: its dots at five pixels a pitch (fewer
// for wide panels), the LEDs and the registers below.
SIZE bench_client_size(const Panel& panel);

// Paints the whole client area: the LCD dot by dot, scaled to the room above the LEDs and
// centred as lumivex-bench draws it; the eight LEDs on DR, LED 7 on the left; and DR, SR and
// CR in hex and binary.
void draw_bench(HDC dc, const RECT& client, const BenchView& view, bool block_shown);

} // namespace lumivex::sim
