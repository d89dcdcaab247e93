#pragma once

#include "drv/sim/panel.h"
#include "drv/sim/parallel_port.h"
#include "drv/sim/published_state.h"

#include <memory>
#include <string>

namespace lumivex::sim {

// Keeps a PublishedState in POSIX shared memory up to date, as the one writer of its block.
// The state lives in this object's memory and goes out with pwrite, so that nothing done to
// the shared object (truncated, grown, replaced) can hurt the port: such a block stays garbled
// for its viewers until the port is opened anew.
class StatePublisher {
public:
    StatePublisher() = default;
    ~StatePublisher(); // publishes the port as closed
    StatePublisher(const StatePublisher&) = delete;
    StatePublisher& operator=(const StatePublisher&) = delete;

    // Takes the block of that name for this port (creating it, or taking over one whose
    // writer has ended) and publishes the powered-on port. False, with error() saying why,
    // when the block belongs to another user, another live writer publishes it, or the
    // object cannot be had; nothing is then written.
    bool open(const std::string& name, const Panel& panel, int base_address);
    const std::string& error() const { return error_; }

    // The port's state after an access, and the access itself.
    void publish(const ParallelPort& port, const BusEvent& event);

private:
    bool take(int fd);
    bool write_range(std::size_t offset, std::size_t size);
    void begin_write();
    void end_write();

    int fd_ = -1;
    std::unique_ptr<PublishedState> state_ = std::make_unique<PublishedState>();
    std::string error_;
};

} // namespace lumivex::sim
