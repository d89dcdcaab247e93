#include "drv/common/precise_wait.h"

#include "drv/common/adaptive_wait.h"

#include <cerrno>
#include <ctime>

namespace lumivex::drv {

namespace {

class MonotonicClock final : public WaitClock {
public:
    std::chrono::nanoseconds now() override {
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
    }
    void sleep_until(std::chrono::nanoseconds time) override {
        const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(time);
        const timespec until{static_cast<time_t>(seconds.count()),
                             static_cast<long>((time - seconds).count())};
        while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR) {
        }
    }
};

} // namespace

void wait_precisely(std::chrono::nanoseconds duration) {
    // Each thread learns from its own sleeps, so no lock is needed.
    thread_local WakeLatency latency;
    MonotonicClock clock;
    wait_until(clock.now() + duration, latency, clock);
}

// clock_nanosleep wakes up as soon as asked already.
FineWaits::FineWaits() = default;
FineWaits::~FineWaits() = default;

} // namespace lumivex::drv
