#pragma once

#include <chrono>
#include <csignal>
#include <functional>

namespace lumivex::ppdev {

// The signal that interrupts a call; ignored by default, so one that arrives late does no harm.
constexpr int interrupting_signal = SIGURG;

// Runs `call` (0, or the errno value of its failure) on a thread of its own and, once `limit` has
// passed, interrupts it with interrupting_signal until it returns: a system call sleeping
// interruptibly then gives up with EINTR. The signal's handler does nothing and is in place only
// while the call runs; the one before it is put back. Returns what `call` returned.
int call_interruptibly(const std::function<int()>& call, std::chrono::milliseconds limit);

} // namespace lumivex::ppdev
