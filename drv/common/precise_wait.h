#pragma once

#include <chrono>

namespace lumivex::drv {

// Returns after the given time on the monotonic clock, a few microseconds late at most. A sleep
// alone wakes up tens of microseconds late (more on a loaded machine), so this sleeps through
// most of the time and spins the rest, for as long as this thread's recent sleeps overslept.
void wait_precisely(std::chrono::nanoseconds duration);

// While one is held, the system's sleeps are as fine-grained as they get, so that the waits
// sleep rather than spin: Windows' timer ticks every 15.6 ms unless asked for 1 ms, which costs
// power, so a port library holds one only while a port is open. Elsewhere it does nothing.
class FineWaits {
public:
    FineWaits();
    ~FineWaits();
    FineWaits(const FineWaits&) = delete;
    FineWaits& operator=(const FineWaits&) = delete;

private:
    [[maybe_unused]] bool raised_ = false; // whether there was anything to undo
};

} // namespace lumivex::drv
