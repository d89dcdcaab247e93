#pragma once

namespace lumivex::win32 {

// Keep the dialog painted and the system answered while a handler runs a long sequence of
// waits. Both handle only what is not user input, at most once a frame: paint and timer
// messages, and the messages that other threads and processes send. Mouse and keyboard input
// and posted messages wait until the handler has returned.

// The port module's wait hook: called after every wait.
void pump_messages_between_waits();

// The port module's wait runner: a wait of a frame or longer runs on a thread of its own while
// this thread keeps answering; a shorter one runs in place.
void run_wait_answering(long long length_us, void (*wait)(void* context), void* context);

// Returns once a wait that runs on that thread has ended (at once when none does).
void finish_running_wait();

} // namespace lumivex::win32
