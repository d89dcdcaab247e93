// Random traffic for the simulated port: each input is a run of register writes, register reads
// and waits on a virtual clock, and after every step the port and the display must be in range.
#include "drv/sim/parallel_port.h"

#include <cstddef>
#include <cstdint>

using namespace lumivex::sim;
namespace lpt = lumivex::lpt;

namespace {

void require(bool condition) {
    if (!condition)
        __builtin_trap();
}

void check(const ParallelPort& port, std::uint64_t now_us) {
    const Hd44780State& s = port.display().state();
    require(s.address_counter < (s.address_in_cgram ? 0x40 : 0x80));
    require(s.display_shift < 80);
    for (std::uint8_t row : s.cgram)
        require(row <= 0x1F);
    require((s.high_nibble & 0x0F) == 0);
    require(s.busy_until_us <= now_us + clear_or_home_time_us);
    require(s.timing_violations <= s.e_pulses);
    const std::uint8_t driven = port.display().driven_lines();
    require(driven == 0x00 || driven == 0xF0 || driven == 0xFF);
    require((port.read(control_register) & ~lpt::control_kept_bits) == 0);
    require((port.read(status_register) & 0x87) == 0x07);
    require(port.read(3) == 0xFF);
}

} // namespace

// Two bytes a step: the operation with its register in the first, the value in the second.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ParallelPort port;
    std::uint64_t now_us = 0;
    for (std::size_t i = 0; i + 1 < size; i += 2) {
        const int offset = (data[i] >> 2) & 0x03;
        const std::uint8_t value = data[i + 1];
        switch (data[i] & 0x03) {
        case 0: // OUTPORT
            port.write(offset, value, ++now_us);
            break;
        case 1: // INPORT
            ++now_us;
            (void)port.read(offset);
            break;
        case 2: // DELAYUS
            now_us += value;
            break;
        default: // DELAY
            now_us += value * 1000u;
            break;
        }
        check(port, now_us);
    }
    return 0;
}
