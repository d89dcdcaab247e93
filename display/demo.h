#pragma once

#include <string_view>

namespace lumivex::display {

// The banner the demonstration writes: 17 characters.
inline constexpr std::string_view demo_banner = "demo.lumivex.test";

// Initialises the display, defines three glyphs, writes and scrolls the banner, then lets a
// face wink. Runs to the end (about 14 s on a 4-bit bus) before it returns.
void run_demo();

} // namespace lumivex::display
