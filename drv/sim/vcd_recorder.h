#pragma once

#include "drv/sim/parallel_port.h"

#include <cstdint>
#include <cstdio>

namespace lumivex::sim {

// Writes the display bus as a value change dump (1 µs timescale, one-bit wires E, RS, RW,
// D7..D0 and SR6..SR3) for GTKWave or PulseView.
class VcdRecorder {
public:
    // Starts the file with every signal's value at time 0. Records nothing when the file cannot
    // be created.
    VcdRecorder(const char* path, const BusSignals& initial);
    ~VcdRecorder();
    VcdRecorder(const VcdRecorder&) = delete;
    VcdRecorder& operator=(const VcdRecorder&) = delete;

    // Whether the file could be created.
    bool ok() const { return file_ != nullptr; }
    // Writes what changed since the last call.
    void record(std::uint64_t time_us, const BusSignals& bus);
    // Hands what is buffered to the file, for a recorder that may be ended without notice.
    void flush();

private:
    void write_values(const BusSignals& bus, bool all);

    std::FILE* file_;
    BusSignals last_;
    std::uint64_t last_time_us_ = 0;
};

} // namespace lumivex::sim
