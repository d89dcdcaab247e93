#pragma once

#include "drv/sim/panel.h"
#include "drv/sim/parallel_port.h"
#include "drv/sim/published_state.h"

#include <string>

namespace lumivex::sim {

// Keeps a PublishedState in POSIX shared memory up to date. When the shared memory cannot be
// had, it publishes nothing and the port works on.
class StatePublisher {
public:
    StatePublisher(const std::string& name, const Panel& panel, int base_address);
    ~StatePublisher(); // publishes the port as closed
    StatePublisher(const StatePublisher&) = delete;
    StatePublisher& operator=(const StatePublisher&) = delete;

    // The port's state after an access, and the access itself.
    void publish(const ParallelPort& port, const BusEvent& event);

private:
    void begin_write();
    void end_write();

    PublishedState* state_ = nullptr;
};

} // namespace lumivex::sim
