#pragma once

#include "drv/sim/published_state.h"

#include <memory>
#include <string>
#include <sys/types.h>

namespace lumivex::bench {

// The simulated port's published state under its name. The block may not exist yet, may be
// replaced when the port library starts anew, may belong to another user, and may hold, or
// come to hold at any moment, something that is not a state block at all (cut short, grown,
// emptied, overwritten): update() and snapshot() follow all of that. Nothing is mapped: the
// block is copied out with pread, so no change to it can fault this process.
class StateReader {
public:
    enum class Status { waiting, invalid, live };

    explicit StateReader(std::string name);
    ~StateReader();
    StateReader(const StateReader&) = delete;
    StateReader& operator=(const StateReader&) = delete;

    // Opens the block when it has appeared or been replaced, and checks its size and header.
    Status update();
    Status status() const { return status_; }
    // Why the block was refused, when it was.
    const std::string& problem() const { return problem_; }
    const std::string& name() const { return name_; }

    // Changes with every update the port library makes; 0 unless live and readable.
    std::uint32_t sequence() const;
    // A consistent, checked copy of the block. False unless live, when the writer kept it busy
    // through every attempt, or when the block has gone bad: then status() is invalid and
    // problem() says why.
    bool snapshot(sim::PublishedState& copy);

private:
    Status refuse(std::string problem);
    Status check_size_and_header();
    std::string size_problem(long long size) const;
    void close_block();

    std::string name_;
    int fd_ = -1;
    dev_t device_ = 0;
    ino_t inode_ = 0;
    Status status_ = Status::waiting;
    std::string problem_;
    std::unique_ptr<sim::PublishedState> header_ = std::make_unique<sim::PublishedState>();
};

// Explains why a block of object_size bytes is not a state block this viewer understands;
// empty when it is one.
std::string check_block(const sim::PublishedState& block, std::size_t object_size);

} // namespace lumivex::bench
