#pragma once

#include <array>
#include <chrono>
#include <cstddef>

namespace lumivex::drv {

// How late this machine's sleeps wake up, learnt from the waits themselves. A wait sleeps until
// margin() before its deadline and spins the rest; the margin follows a high quantile of the
// recent oversleeps, so it grows within a few waits when the machine gets busy and shrinks again
// when it calms down. Portable: the clock and the sleep are the caller's.
class WakeLatency {
public:
    // How many recent oversleeps count, and which of them, counted from the largest, sets the
    // margin: the third largest of 64 is about the 97th percentile.
    static constexpr std::size_t window = 64;
    static constexpr std::size_t rank_from_top = 2;
    // Added to the quantile for the spin's start-up; and the margin's bounds. The upper bound
    // keeps a 1 ms wait sleeping for half its time: a thread that spins throughout competes
    // with the machine's load and is preempted for milliseconds, where one that sleeps gets
    // the processor back soon after it wakes.
    static constexpr std::chrono::nanoseconds headroom = std::chrono::microseconds(10);
    static constexpr std::chrono::nanoseconds least = std::chrono::microseconds(20);
    static constexpr std::chrono::nanoseconds most = std::chrono::microseconds(500);
    // Until the first sleep has been measured.
    static constexpr std::chrono::nanoseconds initial = std::chrono::microseconds(200);

    std::chrono::nanoseconds margin() const { return margin_; }
    // How much later than asked a sleep woke up.
    void record(std::chrono::nanoseconds oversleep);

private:
    std::array<std::chrono::nanoseconds, window> recent_{};
    std::size_t recorded_ = 0;
    std::chrono::nanoseconds margin_ = initial;
};

// The platform's monotonic clock and its sleep until a time on that clock.
class WaitClock {
public:
    virtual ~WaitClock() = default;
    virtual std::chrono::nanoseconds now() = 0;
    virtual void sleep_until(std::chrono::nanoseconds time) = 0;
};

// Returns at the deadline or just after it: sleeps until the latency's margin before it,
// records how late that sleep woke, and spins the rest.
void wait_until(std::chrono::nanoseconds deadline, WakeLatency& latency, WaitClock& clock);

} // namespace lumivex::drv
