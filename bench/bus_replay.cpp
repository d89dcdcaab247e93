#include "bench/bus_replay.h"

namespace lumivex::bench {

void BusReplay::apply(const sim::BusEvent& event) {
    const bool write = event.kind == sim::port_write;
    switch (event.offset) {
    case sim::data_register:
        signals_.data = event.value;
        break;
    case sim::status_register:
        if (!write) // what the display drove onto D7..D4 as SR bits 6..3
            signals_.status_lines =
                static_cast<std::uint8_t>(lpt::data_lines_in_status(event.value) >> 4);
        break;
    case sim::control_register:
        if (write) {
            const lpt::DisplaySignals control = lpt::signals_of(signals_.data, event.value);
            signals_.e = control.e;
            signals_.rs = control.rs;
            signals_.rw = control.rw;
        }
        break;
    }
}

std::vector<sim::BusEvent> events_since(const sim::PublishedState& state,
                                        std::uint64_t first_event) {
    const std::uint64_t capacity = sim::bus_event_capacity;
    const std::uint64_t total = state.events_total;
    const std::uint64_t oldest_kept = total > capacity ? total - capacity : 0;
    std::vector<sim::BusEvent> events;
    for (std::uint64_t n = std::max(first_event, oldest_kept); n < total; ++n)
        events.push_back(state.events[n % capacity]);
    return events;
}

std::vector<BusChange> bus_history(const sim::PublishedState& state) {
    BusReplay replay;
    std::vector<BusChange> history;
    for (const sim::BusEvent& event : events_since(state, 0)) {
        replay.apply(event);
        history.push_back({event.time_us, replay.bus_signals()});
    }
    return history;
}

} // namespace lumivex::bench
