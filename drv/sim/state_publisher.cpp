#include "drv/sim/state_publisher.h"

#include "drv/sim/character_rom.h"

#include <cstddef>
#include <fcntl.h>
#include <fstream>
#include <sys/mman.h>
#include <unistd.h>

namespace lumivex::sim {

namespace {

std::uint8_t flag(bool value) {
    return value ? 1 : 0;
}

void copy_display(const Hd44780& display, std::uint64_t now_us, PublishedDisplay& out) {
    const Hd44780State& s = display.state();
    std::memcpy(out.ddram, s.ddram.data(), sizeof out.ddram);
    std::memcpy(out.cgram, s.cgram.data(), sizeof out.cgram);
    out.address_counter = s.address_counter;
    out.address_in_cgram = flag(s.address_in_cgram);
    out.display_shift = s.display_shift;
    out.instruction_register = s.instruction_register;
    out.data_register = s.data_register;
    out.display_on = flag(s.display_on);
    out.cursor_on = flag(s.cursor_on);
    out.blink_on = flag(s.blink_on);
    out.increment = flag(s.increment);
    out.shift_on_write = flag(s.shift_on_write);
    out.eight_bit_interface = flag(s.eight_bit_interface);
    out.two_lines = flag(s.two_lines);
    out.font_5x10 = flag(s.font_5x10);
    out.low_nibble_next = flag(s.low_nibble_next);
    out.busy = flag(display.busy(now_us));
    out.busy_until_us = s.busy_until_us;
}

flock lock_on_byte(off_t byte) {
    flock lock{};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = byte;
    lock.l_len = 1;
    return lock;
}

// The writer's process id, told by the byte at name_base + id that it locks. An
// open-file-description lock is the only kind that holds whatever else the process does with
// the block (a process lock ends when it closes any descriptor of it), and F_OFD_GETLK tells
// where a lock is but not whose.
constexpr off_t name_base = 1;

// The process that publishes the block; 0 when it cannot be told.
pid_t writer_of(int fd) {
    flock holder = lock_on_byte(name_base);
    holder.l_len = 0; // up to any offset
    if (fcntl(fd, F_OFD_GETLK, &holder) != 0 || holder.l_type == F_UNLCK)
        return 0;
    return static_cast<pid_t>(holder.l_start - name_base);
}

// "process 1234 (lumivex)", or less when the process cannot be named.
std::string process_text(pid_t pid) {
    if (pid <= 0)
        return "another simulated port";
    std::string name;
    std::getline(std::ifstream("/proc/" + std::to_string(pid) + "/comm"), name);
    return "process " + std::to_string(pid) + (name.empty() ? "" : " (" + name + ")");
}

// What changes with every access: from time_us up to the character ROM.
constexpr std::size_t changing_start = offsetof(PublishedState, time_us);
constexpr std::size_t changing_size = offsetof(PublishedState, character_rom) - changing_start;

} // namespace

// One writer per block, which locks byte 0 and the byte that names it, both for its open file
// description: only its close of fd_ or its end releases them.
bool StatePublisher::take(int fd) {
    flock exclusive = lock_on_byte(0);
    if (fcntl(fd, F_OFD_SETLK, &exclusive) == 0) {
        flock named = lock_on_byte(name_base + getpid());
        if (fcntl(fd, F_OFD_SETLK, &named) == 0)
            return true;
    } else if (errno == EAGAIN || errno == EACCES) {
        error_ = process_text(writer_of(fd)) +
                 " publishes this block; close its port first or choose another name";
        return false;
    }
    error_ = std::string("cannot lock the block: ") + std::strerror(errno);
    return false;
}

bool StatePublisher::open(const std::string& name, const Panel& panel, int base_address) {
    const int fd = shm_open(name.c_str(), O_CREAT | O_RDWR, 0600);
    if (fd < 0) {
        error_ = open_problem(name, errno);
        return false;
    }
    struct stat info {};
    error_ = fstat(fd, &info) != 0 ? std::strerror(errno) : block_owner_problem(info);
    if (!error_.empty() || !take(fd)) {
        close(fd);
        return false;
    }
    // A viewer may hold this object from an earlier run: its sequence goes on from there.
    std::uint32_t sequence = 0;
    if (pread(fd, &sequence, sizeof sequence, offsetof(PublishedState, sequence)) !=
        sizeof sequence)
        sequence = 0;
    PublishedState& s = *state_;
    s.sequence = sequence | 1;
    s.magic = published_state_magic;
    s.version = published_state_version;
    s.size = sizeof(PublishedState);
    s.base_address = static_cast<std::uint16_t>(base_address);
    s.columns = panel.columns;
    s.rows = panel.rows;
    std::memcpy(s.row_start, panel.row_start.data(), sizeof s.row_start);
    s.character_rom = character_rom();
    fd_ = fd;
    begin_write();
    if (ftruncate(fd, sizeof(PublishedState)) != 0 || !write_range(0, sizeof(PublishedState))) {
        error_ = std::string("cannot write the block: ") + std::strerror(errno);
        close(fd);
        fd_ = -1;
        return false;
    }
    end_write();
    return true;
}

StatePublisher::~StatePublisher() {
    if (fd_ < 0)
        return;
    begin_write();
    state_->base_address = 0;
    write_range(offsetof(PublishedState, base_address), sizeof state_->base_address);
    end_write();
    close(fd_);
}

void StatePublisher::publish(const ParallelPort& port, const BusEvent& event) {
    if (fd_ < 0)
        return;
    PublishedState& s = *state_;
    const std::size_t slot = s.events_total % bus_event_capacity;
    s.time_us = event.time_us;
    s.data_register = port.read(data_register);
    s.status_register = port.status();
    s.control_register = port.read(control_register);
    s.leds = port.leds();
    s.data_lines = port.data_lines();
    s.e_pulses = port.display().state().e_pulses;
    s.timing_violations = port.display().state().timing_violations;
    copy_display(port.display(), event.time_us, s.display);
    s.events[slot] = event;
    ++s.events_total;
    begin_write();
    write_range(changing_start, changing_size);
    write_range(offsetof(PublishedState, events) + slot * sizeof(BusEvent), sizeof(BusEvent));
    end_write();
}

// A range that cannot be written (a full /dev/shm) leaves the viewers behind; the port works on.
bool StatePublisher::write_range(std::size_t offset, std::size_t size) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(state_.get());
    return pwrite(fd_, bytes + offset, size, static_cast<off_t>(offset)) ==
           static_cast<ssize_t>(size);
}

// The sequence counter of a seqlock, odd from here until end_write. Each pwrite is done before
// the next begins, so a viewer that finds the same even value before and after its copy got
// no half-written block.
void StatePublisher::begin_write() {
    state_->sequence |= 1;
    write_range(offsetof(PublishedState, sequence), sizeof state_->sequence);
}

void StatePublisher::end_write() {
    ++state_->sequence;
    write_range(offsetof(PublishedState, sequence), sizeof state_->sequence);
}

} // namespace lumivex::sim
