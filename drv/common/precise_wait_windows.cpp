// The Windows side of wait_precisely: the performance counter for the time, Sleep for the bulk
// of a wait and a spin for the rest. Sleep wakes on the system timer's tick, so it is only
// fine-grained while the timer resolution is raised (FineWaits, which the port library holds
// while a port is open); the margin covers one such tick and a late wake-up.
#include "drv/common/performance_counter.h"
#include "drv/common/precise_wait.h"

namespace lumivex::drv {

namespace {

constexpr std::chrono::milliseconds sleep_margin{2};

} // namespace

void wait_precisely(std::chrono::nanoseconds duration) {
    const auto deadline = performance_counter_now() + duration;
    for (auto left = duration; left > sleep_margin; left = deadline - performance_counter_now())
        Sleep(static_cast<DWORD>(
            std::chrono::duration_cast<std::chrono::milliseconds>(left - sleep_margin).count()));
    while (performance_counter_now() < deadline) {
    }
}

// 1 ms is the finest every system timer offers.
FineWaits::FineWaits() : raised_(timeBeginPeriod(1) == TIMERR_NOERROR) {}

FineWaits::~FineWaits() {
    if (raised_)
        timeEndPeriod(1);
}

} // namespace lumivex::drv
