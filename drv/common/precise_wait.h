#pragma once

#include <chrono>

namespace lumivex::drv {

// Returns after the given time on the monotonic clock, a few microseconds late at most. A sleep
// alone wakes up tens of microseconds late (more on a loaded machine), so this sleeps through
// most of the time and spins the rest, for as long as this thread's recent sleeps overslept.
void wait_precisely(std::chrono::nanoseconds duration);

} // namespace lumivex::drv
