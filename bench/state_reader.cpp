#include "bench/state_reader.h"

#include <cstddef>
#include <cstdio>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace lumivex::bench {

namespace {

constexpr off_t sequence_offset = offsetof(sim::PublishedState, sequence);
// Everything check_block looks at.
constexpr std::size_t header_size = offsetof(sim::PublishedState, display);

// The object's size now; -1 when it cannot be told.
long long object_size(int fd) {
    struct stat info {};
    return fstat(fd, &info) == 0 ? static_cast<long long>(info.st_size) : -1;
}

} // namespace

StateReader::StateReader(std::string name) : name_(std::move(name)) {}

StateReader::~StateReader() {
    close_block();
}

void StateReader::close_block() {
    if (fd_ >= 0)
        close(fd_);
    fd_ = -1;
}

StateReader::Status StateReader::refuse(std::string problem) {
    problem_ = std::move(problem);
    return status_ = Status::invalid;
}

std::string StateReader::size_problem(long long size) const {
    return name_ + " holds " + std::to_string(size < 0 ? 0 : size) +
           " bytes; a simulated port's state needs " + std::to_string(sizeof(sim::PublishedState)) +
           ".";
}

StateReader::Status StateReader::update() {
    if (const std::string bad = sim::state_name_problem(name_); !bad.empty())
        return refuse(name_ + ": " + bad + ".");
    // Non-blocking, in case someone put a FIFO under the name.
    const int fd = shm_open(name_.c_str(), O_RDONLY | O_NONBLOCK, 0);
    if (fd < 0) {
        close_block();
        if (errno != ENOENT)
            return refuse(name_ + ": " + sim::open_problem(name_, errno) + ".");
        problem_.clear();
        return status_ = Status::waiting;
    }
    struct stat info {};
    const std::string foreign =
        fstat(fd, &info) != 0 ? std::strerror(errno) : sim::block_owner_problem(info);
    if (!foreign.empty()) {
        close(fd);
        close_block();
        return refuse(name_ + ": " + foreign + "; the bench reads only your own blocks.");
    }
    if (fd_ >= 0 && info.st_dev == device_ && info.st_ino == inode_) {
        close(fd);
    } else {
        close_block();
        fd_ = fd;
        device_ = info.st_dev;
        inode_ = info.st_ino;
    }
    return check_size_and_header();
}

StateReader::Status StateReader::check_size_and_header() {
    const long long size = object_size(fd_);
    if (size != static_cast<long long>(sizeof(sim::PublishedState)) ||
        pread(fd_, header_.get(), header_size, 0) != static_cast<ssize_t>(header_size))
        return refuse(size_problem(size));
    problem_ = check_block(*header_, sizeof(sim::PublishedState));
    return status_ = problem_.empty() ? Status::live : Status::invalid;
}

std::uint32_t StateReader::sequence() const {
    std::uint32_t sequence = 0;
    if (status_ != Status::live ||
        pread(fd_, &sequence, sizeof sequence, sequence_offset) != sizeof sequence)
        return 0;
    return sequence;
}

// The seqlock's reading side: the sequence, the block, the sequence again, all with pread.
bool StateReader::snapshot(sim::PublishedState& copy) {
    if (status_ != Status::live)
        return false;
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::uint32_t before = 0;
        std::uint32_t after = 0;
        if (object_size(fd_) != static_cast<long long>(sizeof copy) ||
            pread(fd_, &before, sizeof before, sequence_offset) != sizeof before ||
            pread(fd_, &copy, sizeof copy, 0) != static_cast<ssize_t>(sizeof copy) ||
            pread(fd_, &after, sizeof after, sequence_offset) != sizeof after) {
            refuse(size_problem(object_size(fd_)));
            return false;
        }
        if (before % 2 != 0 || after != before)
            continue;
        problem_ = check_block(copy, sizeof copy);
        if (problem_.empty())
            return true;
        status_ = Status::invalid;
        return false;
    }
    return false;
}

std::string check_block(const sim::PublishedState& block, std::size_t object_size) {
    // The largest panel a controller drives: 4 rows, or 80 characters on one line.
    if (sim::is_valid(block, object_size)) {
        if (block.rows >= 1 && block.rows <= 4 && block.columns >= 1 && block.columns <= 80)
            return {};
        return "The state block describes a panel of " + std::to_string(block.columns) + "x" +
               std::to_string(block.rows) + " characters, which no display has.";
    }
    char text[200];
    std::snprintf(text, sizeof text,
                  "Not a state block this bench understands: magic 0x%08X, version %u, size "
                  "%u (expected 0x%08X, version %u, size %zu).",
                  block.magic, block.version, block.size, sim::published_state_magic,
                  sim::published_state_version, sizeof(sim::PublishedState));
    return text;
}

} // namespace lumivex::bench
