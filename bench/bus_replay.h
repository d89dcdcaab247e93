#pragma once

#include "drv/sim/parallel_port.h"
#include "drv/sim/published_state.h"

#include <cstdint>
#include <vector>

namespace lumivex::bench {

// The display bus as a logic analyser on the cable sees it, followed through the port
// accesses of the event ring. It starts with the lines idle.
class BusReplay {
public:
    void apply(const sim::BusEvent& event);
    const sim::BusSignals& bus_signals() const { return signals_; }

private:
    sim::BusSignals signals_{false, false, false, 0, 0};
};

// The events of the ring numbered from first_event on (see events_total), oldest first; those
// already overwritten are gone.
std::vector<sim::BusEvent> events_since(const sim::PublishedState& state,
                                        std::uint64_t first_event);

struct BusChange {
    std::uint64_t time_us;
    sim::BusSignals levels; // from this time on
};

// The bus after every access still in the ring, oldest first.
std::vector<BusChange> bus_history(const sim::PublishedState& state);

} // namespace lumivex::bench
