#include "drv/sim/clock.h"

#include "drv/common/precise_wait.h"

namespace lumivex::sim {

Clock::Clock(Mode mode) : mode_(mode), start_(std::chrono::steady_clock::now()) {}

std::uint64_t Clock::now_us() const {
    if (mode_ == Mode::instant)
        return virtual_us_;
    const auto elapsed = std::chrono::steady_clock::now() - start_;
    return static_cast<std::uint64_t>(
        std::chrono::duration_cast<std::chrono::microseconds>(elapsed).count());
}

void Clock::wait(std::chrono::microseconds duration) {
    if (duration.count() <= 0)
        return;
    if (mode_ == Mode::instant)
        virtual_us_ += static_cast<std::uint64_t>(duration.count());
    else
        drv::wait_precisely(duration);
}

void Clock::count_port_access() {
    if (mode_ == Mode::instant)
        virtual_us_ += port_access_cost_us;
}

} // namespace lumivex::sim
