#include "ui/qt/termination_signals.h"

#include <QSocketNotifier>
#include <array>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace lumivex::qt {

namespace {

constexpr std::array<int, 3> watched_signals{SIGINT, SIGTERM, SIGHUP};

// [0] read by the notifier, [1] written by the handler.
int pipe_ends[2] = {-1, -1};
std::array<struct sigaction, watched_signals.size()> earlier_actions{};

// Async-signal-safe: one write that never blocks (a full pipe already holds a request).
void on_signal(int) {
    const int saved_errno = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = write(pipe_ends[1], &byte, 1);
    errno = saved_errno;
}

} // namespace

TerminationSignals::TerminationSignals() {
    if (pipe2(pipe_ends, O_NONBLOCK | O_CLOEXEC) != 0)
        qFatal("no pipe for the termination signals");
    notifier_ = new QSocketNotifier(pipe_ends[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &TerminationSignals::drain);
    struct sigaction action {};
    action.sa_handler = on_signal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < watched_signals.size(); ++i)
        sigaction(watched_signals[i], &action, &earlier_actions[i]);
}

TerminationSignals::~TerminationSignals() {
    for (std::size_t i = 0; i < watched_signals.size(); ++i)
        sigaction(watched_signals[i], &earlier_actions[i], nullptr);
    delete notifier_;
    close(pipe_ends[0]);
    close(pipe_ends[1]);
    pipe_ends[0] = pipe_ends[1] = -1;
}

// Signals that came close together are one request.
void TerminationSignals::drain() {
    char bytes[64];
    while (read(pipe_ends[0], bytes, sizeof bytes) > 0) {
    }
    emit received();
}

} // namespace lumivex::qt
