#pragma once

#include <chrono>
#include <cstdint>

namespace lumivex::sim {

// The time the port runs on, in microseconds from when it was opened: real time, or in instant
// mode a virtual clock that waits and port accesses move on without ever sleeping.
class Clock {
public:
    enum class Mode { real, instant };

    // Like an ISA I/O cycle.
    static constexpr std::uint64_t port_access_cost_us = 1;

    explicit Clock(Mode mode = Mode::real);

    std::uint64_t now_us() const;
    void wait(std::chrono::microseconds duration);
    void count_port_access();

private:
    Mode mode_;
    std::chrono::steady_clock::time_point start_;
    std::uint64_t virtual_us_ = 0;
};

} // namespace lumivex::sim
