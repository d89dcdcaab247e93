#pragma once

#include "drv/sim/published_state.h"

#include <string>
#include <sys/types.h>

namespace lumivex::bench {

// The simulated port's published state, mapped read-only. It may not exist yet, may be
// replaced when the port library starts anew, and may hold something that is not a state
// block at all: update() follows all of that.
class StateMapping {
public:
    enum class Status { waiting, invalid, live };

    explicit StateMapping(std::string name);
    ~StateMapping();
    StateMapping(const StateMapping&) = delete;
    StateMapping& operator=(const StateMapping&) = delete;

    // Maps the block when it has appeared or been replaced, and checks it.
    Status update();
    Status status() const { return status_; }
    // Why the block was refused, when it was.
    const std::string& problem() const { return problem_; }
    const std::string& name() const { return name_; }

    // Changes with every update the port library makes; 0 unless live.
    std::uint32_t sequence() const;
    // A consistent copy of the block; false unless live.
    bool snapshot(sim::PublishedState& copy) const;

private:
    void unmap();

    std::string name_;
    const void* memory_ = nullptr;
    std::size_t size_ = 0;
    dev_t device_ = 0;
    ino_t inode_ = 0;
    Status status_ = Status::waiting;
    std::string problem_;
};

// Explains why a block of mapped_size bytes is not a state block this viewer understands;
// empty when it is one.
std::string check_block(const sim::PublishedState& block, std::size_t mapped_size);

} // namespace lumivex::bench
