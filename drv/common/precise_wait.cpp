#include "drv/common/precise_wait.h"

#include <cerrno>
#include <ctime>

namespace lumivex::drv {

namespace {

// Covers the scheduler's wake-up latency on a busy machine; the spin takes over from here.
constexpr std::chrono::nanoseconds spin_margin = std::chrono::microseconds(200);

std::chrono::nanoseconds monotonic_now() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
}

void sleep_until(std::chrono::nanoseconds deadline) {
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(deadline);
    const timespec until{static_cast<time_t>(seconds.count()),
                         static_cast<long>((deadline - seconds).count())};
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR) {
    }
}

} // namespace

void wait_precisely(std::chrono::nanoseconds duration) {
    const auto deadline = monotonic_now() + duration;
    if (duration > spin_margin)
        sleep_until(deadline - spin_margin);
    while (monotonic_now() < deadline) {
    }
}

} // namespace lumivex::drv
