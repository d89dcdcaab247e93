#include "bench/state_mapping.h"

#include <cstdio>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace lumivex::bench {

StateMapping::StateMapping(std::string name) : name_(std::move(name)) {}

StateMapping::~StateMapping() {
    unmap();
}

void StateMapping::unmap() {
    if (memory_ != nullptr)
        munmap(const_cast<void*>(memory_), size_);
    memory_ = nullptr;
    size_ = 0;
}

StateMapping::Status StateMapping::update() {
    const int fd = shm_open(name_.c_str(), O_RDONLY, 0);
    if (fd < 0) {
        unmap();
        problem_.clear();
        return status_ = Status::waiting;
    }
    struct stat info {};
    const bool same_object = fstat(fd, &info) == 0 && memory_ != nullptr &&
                             info.st_dev == device_ && info.st_ino == inode_ &&
                             static_cast<std::size_t>(info.st_size) == size_;
    if (!same_object) {
        unmap();
        const auto size = static_cast<std::size_t>(info.st_size);
        void* memory = size > 0 ? mmap(nullptr, size, PROT_READ, MAP_SHARED, fd, 0) : MAP_FAILED;
        if (memory != MAP_FAILED) {
            memory_ = memory;
            size_ = size;
            device_ = info.st_dev;
            inode_ = info.st_ino;
        }
    }
    close(fd);
    // Nothing of a block is read before it is known to be whole.
    if (memory_ == nullptr || size_ < sizeof(sim::PublishedState)) {
        problem_ = name_ + " holds " + std::to_string(size_) + " bytes; a simulated port's " +
                   "state needs " + std::to_string(sizeof(sim::PublishedState)) + ".";
        return status_ = Status::invalid;
    }
    problem_ = check_block(*static_cast<const sim::PublishedState*>(memory_), size_);
    return status_ = problem_.empty() ? Status::live : Status::invalid;
}

std::uint32_t StateMapping::sequence() const {
    if (status_ != Status::live)
        return 0;
    auto& shared =
        const_cast<std::uint32_t&>(static_cast<const sim::PublishedState*>(memory_)->sequence);
    return std::atomic_ref<std::uint32_t>(shared).load(std::memory_order_acquire);
}

bool StateMapping::snapshot(sim::PublishedState& copy) const {
    if (status_ != Status::live)
        return false;
    return sim::read_published_state(*static_cast<const sim::PublishedState*>(memory_), copy) &&
           check_block(copy, size_).empty();
}

std::string check_block(const sim::PublishedState& block, std::size_t mapped_size) {
    // The largest panel a controller drives: 4 rows, or 80 characters on one line.
    if (sim::is_valid(block, mapped_size)) {
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
