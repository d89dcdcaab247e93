#include "drv/sim/vcd_recorder.h"

#include <array>

namespace lumivex::sim {

namespace {

struct Wire {
    char id;
    const char* name;
};

// Every wire has a one-letter identifier.
constexpr std::array<Wire, 15> wires{{
    {'a', "E"},
    {'b', "RS"},
    {'c', "RW"},
    {'d', "D7"},
    {'e', "D6"},
    {'f', "D5"},
    {'g', "D4"},
    {'h', "D3"},
    {'i', "D2"},
    {'j', "D1"},
    {'k', "D0"},
    {'l', "SR6"},
    {'m', "SR5"},
    {'n', "SR4"},
    {'o', "SR3"},
}};

// The wires' levels in the order above.
std::array<bool, wires.size()> levels(const BusSignals& s) {
    std::array<bool, wires.size()> result{s.e, s.rs, s.rw};
    for (int bit = 0; bit < 8; ++bit)
        result[3 + static_cast<std::size_t>(7 - bit)] = ((s.data >> bit) & 1) != 0;
    for (int bit = 0; bit < 4; ++bit)
        result[11 + static_cast<std::size_t>(3 - bit)] = ((s.status_lines >> bit) & 1) != 0;
    return result;
}

} // namespace

VcdRecorder::VcdRecorder(const char* path, const BusSignals& initial)
    : file_(std::fopen(path, "w")), last_(initial) {
    if (file_ == nullptr)
        return;
    std::fputs("$version Lumivex simulated port $end\n$timescale 1us $end\n"
               "$scope module lcd $end\n",
               file_);
    for (const Wire& wire : wires)
        std::fprintf(file_, "$var wire 1 %c %s $end\n", wire.id, wire.name);
    std::fputs("$upscope $end\n$enddefinitions $end\n#0\n$dumpvars\n", file_);
    write_values(initial, true);
    std::fputs("$end\n", file_);
}

VcdRecorder::~VcdRecorder() {
    if (file_ != nullptr)
        std::fclose(file_);
}

void VcdRecorder::record(std::uint64_t time_us, const BusSignals& bus) {
    if (file_ == nullptr || bus == last_)
        return;
    if (time_us > last_time_us_) {
        std::fprintf(file_, "#%llu\n", static_cast<unsigned long long>(time_us));
        last_time_us_ = time_us;
    }
    write_values(bus, false);
    last_ = bus;
}

void VcdRecorder::flush() {
    if (file_ != nullptr)
        std::fflush(file_);
}

void VcdRecorder::write_values(const BusSignals& bus, bool all) {
    const auto now = levels(bus);
    const auto before = levels(last_);
    for (std::size_t i = 0; i < wires.size(); ++i)
        if (all || now[i] != before[i])
            std::fprintf(file_, "%c%c\n", now[i] ? '1' : '0', wires[i].id);
}

} // namespace lumivex::sim
