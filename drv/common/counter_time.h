#pragma once

#include <chrono>
#include <cstdint>

namespace lumivex::drv {

// The time that count ticks of a counter running at frequency ticks a second stand for, such as
// Windows' performance counter. Whole seconds and the rest are scaled apart, so nothing
// overflows for any uptime (count × 10^6 alone overflows after 10.7 days at the usual 10 MHz)
// nor for any frequency below 9 GHz.
constexpr std::chrono::nanoseconds counter_time(std::int64_t count, std::int64_t frequency) {
    return std::chrono::seconds(count / frequency) +
           std::chrono::nanoseconds(count % frequency * 1'000'000'000 / frequency);
}

} // namespace lumivex::drv
