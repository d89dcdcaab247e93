#include "drv/common/adaptive_wait.h"

#include <algorithm>
#include <functional>

namespace lumivex::drv {

void WakeLatency::record(std::chrono::nanoseconds oversleep) {
    recent_[recorded_ % window] = std::max(oversleep, std::chrono::nanoseconds(0));
    ++recorded_;
    std::array<std::chrono::nanoseconds, window> sorted = recent_;
    const auto filled = static_cast<std::ptrdiff_t>(std::min(recorded_, window));
    const auto rank = std::min<std::ptrdiff_t>(rank_from_top, filled - 1);
    std::nth_element(sorted.begin(), sorted.begin() + rank, sorted.begin() + filled,
                     std::greater<>());
    margin_ = std::clamp(sorted[static_cast<std::size_t>(rank)] + headroom, least, most);
}

void wait_until(std::chrono::nanoseconds deadline, WakeLatency& latency, WaitClock& clock) {
    const auto wake = deadline - latency.margin();
    if (clock.now() < wake) {
        clock.sleep_until(wake);
        latency.record(clock.now() - wake);
    }
    while (clock.now() < deadline) {
    }
}

} // namespace lumivex::drv
