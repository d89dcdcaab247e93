#include "drv/sim/state_publisher.h"

#include "drv/sim/character_rom.h"

#include <atomic>
#include <cstdio>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

namespace lumivex::sim {

namespace {

PublishedState* map_shared(const std::string& name) {
    const int fd = shm_open(name.c_str(), O_CREAT | O_RDWR, 0600);
    if (fd < 0)
        return nullptr;
    void* memory = MAP_FAILED;
    if (ftruncate(fd, sizeof(PublishedState)) == 0)
        memory = mmap(nullptr, sizeof(PublishedState), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    close(fd);
    return memory == MAP_FAILED ? nullptr : static_cast<PublishedState*>(memory);
}

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

} // namespace

StatePublisher::StatePublisher(const std::string& name, const Panel& panel, int base_address)
    : state_(map_shared(name)) {
    if (state_ == nullptr)
        return;
    // A reader may hold the block mapped from an earlier run: mark it as being written first.
    begin_write();
    PublishedState& s = *state_;
    const std::uint32_t sequence = s.sequence;
    std::memset(&s, 0, sizeof s);
    s.sequence = sequence;
    s.magic = published_state_magic;
    s.version = published_state_version;
    s.size = sizeof(PublishedState);
    s.base_address = static_cast<std::uint16_t>(base_address);
    s.columns = panel.columns;
    s.rows = panel.rows;
    std::memcpy(s.row_start, panel.row_start.data(), sizeof s.row_start);
    for (int code = 0; code < 256; ++code)
        std::memcpy(s.character_rom[code], rom_glyph(static_cast<std::uint8_t>(code)).data(),
                    sizeof s.character_rom[code]);
    end_write();
}

StatePublisher::~StatePublisher() {
    if (state_ == nullptr)
        return;
    begin_write();
    state_->base_address = 0;
    end_write();
    munmap(state_, sizeof(PublishedState));
}

void StatePublisher::publish(const ParallelPort& port, const BusEvent& event) {
    if (state_ == nullptr)
        return;
    begin_write();
    PublishedState& s = *state_;
    s.time_us = event.time_us;
    s.data_register = port.read(data_register);
    s.status_register = port.status();
    s.control_register = port.read(control_register);
    s.leds = port.leds();
    s.data_lines = port.data_lines();
    s.e_pulses = port.display().state().e_pulses;
    s.timing_violations = port.display().state().timing_violations;
    copy_display(port.display(), event.time_us, s.display);
    s.events[s.events_total % bus_event_capacity] = event;
    ++s.events_total;
    end_write();
}

// The sequence counter of a seqlock: odd from here until end_write, and the release fence keeps
// the block's stores from moving before the odd value.
void StatePublisher::begin_write() {
    std::atomic_ref<std::uint32_t> sequence(state_->sequence);
    sequence.store(sequence.load(std::memory_order_relaxed) | 1, std::memory_order_relaxed);
    std::atomic_thread_fence(std::memory_order_release);
}

void StatePublisher::end_write() {
    std::atomic_ref<std::uint32_t> sequence(state_->sequence);
    sequence.store(sequence.load(std::memory_order_relaxed) + 1, std::memory_order_release);
}

} // namespace lumivex::sim
