#pragma once

namespace lumivex::qt {

// Keeps the windows painted and the desktop answered while a handler runs a long sequence of
// waits: at most once per frame, it lets Qt deliver every event except user input, which waits
// until the handler has returned.
void pump_events_between_waits();

} // namespace lumivex::qt
