#pragma once

#include "drv/common/counter_time.h"

#include <windows.h>

namespace lumivex::drv {

// Windows' performance counter as the time since the machine started, exact for any uptime: the
// one clock of the port library's waits and the dialog's pump.
inline std::chrono::nanoseconds performance_counter_now() {
    static const std::int64_t frequency = [] {
        LARGE_INTEGER ticks_a_second;
        QueryPerformanceFrequency(&ticks_a_second);
        return ticks_a_second.QuadPart;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return counter_time(now.QuadPart, frequency);
}

} // namespace lumivex::drv
