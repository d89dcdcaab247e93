#pragma once

#include <chrono>

namespace lumivex::drv {

// Returns after the given time on the monotonic clock, a few microseconds late at most. A sleep
// alone wakes up tens of microseconds late, so this sleeps through most of the time and spins
// the rest.
void wait_precisely(std::chrono::nanoseconds duration);

} // namespace lumivex::drv
