// Prints how long a port write takes to show in lumivex-bench: median, 99th percentile and
// maximum over many writes, first spaced out (an idle bus: each write waits until the bench has
// shown the one before) and then back to back (a busy bus: a write every millisecond, as the
// program's bus cycles come, whatever the bench does meanwhile; it redraws once a frame). Run it
// under a display with the run folder as argument, e.g.
//   xvfb-run -a build/default/benchmarks/bench_latency_benchmark build/default/stage
#include "port/port_library.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <signal.h>
#include <spawn.h>
#include <string>
#include <sys/mman.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

long long monotonic_ns() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

// Reads the bench's "shown <events_total> <ns>" lines until it shows at least events.
long long shown_at(std::FILE* bench, unsigned long long events) {
    unsigned long long total = 0;
    long long ns = 0;
    while (std::fscanf(bench, " shown %llu %lld", &total, &ns) == 2)
        if (total >= events)
            return ns;
    return -1;
}

void report(const char* what, std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    std::printf("%s: median %.2f ms, p99 %.2f ms, max %.2f ms over %zu writes\n", what,
                ms[ms.size() / 2], ms[ms.size() * 99 / 100], ms.back(), ms.size());
}

void sleep_until_ns(long long ns) {
    const timespec until{static_cast<time_t>(ns / 1'000'000'000),
                         static_cast<long>(ns % 1'000'000'000)};
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR) {
    }
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <run folder>\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[1];
    const std::string state = "/lumivex-latency-" + std::to_string(getpid());
    setenv("LUMIVEX_SIM_STATE", state.c_str(), 1);
    setenv("LUMIVEX_BENCH_TRACE", "1", 1);

    void* library = dlopen((folder + "/drv/PORT.DLL").c_str(), RTLD_NOW);
    if (library == nullptr) {
        std::fprintf(stderr, "%s\n", dlerror());
        return 1;
    }
    auto opencom = reinterpret_cast<PortOpencom>(dlsym(library, "OPENCOM"));
    auto closecom = reinterpret_cast<PortClosecom>(dlsym(library, "CLOSECOM"));
    auto outport = reinterpret_cast<PortOutport>(dlsym(library, "OUTPORT"));
    opencom("LPT1:"); // two accesses: DR and CR are not written by OPENCOM itself

    int pipe_ends[2];
    if (pipe(pipe_ends) != 0)
        return 1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipe_ends[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipe_ends[0]);
    const std::string program = folder + "/lumivex-bench";
    char* const arguments[] = {const_cast<char*>(program.c_str()), nullptr};
    pid_t bench = 0;
    if (posix_spawn(&bench, program.c_str(), &actions, nullptr, arguments, environ) != 0)
        return 1;
    close(pipe_ends[1]);
    std::FILE* shown = fdopen(pipe_ends[0], "r");

    unsigned long long events = 0;
    outport(0x378, 0);
    shown_at(shown, ++events); // the bench is up and showing the port

    std::vector<double> idle;
    for (int i = 1; i <= 200; ++i) {
        timespec pause{0, 40'000'000};
        nanosleep(&pause, nullptr);
        const long long written = monotonic_ns();
        outport(0x378, i & 0xFF);
        idle.push_back(static_cast<double>(shown_at(shown, ++events) - written) / 1e6);
    }
    report("idle bus, one write every 40 ms", idle);

    // The bench's lines wait in the pipe meanwhile (a few kilobytes).
    constexpr int busy_writes = 2000;
    std::vector<long long> written(busy_writes);
    const long long first = monotonic_ns() + 1'000'000;
    for (int i = 0; i < busy_writes; ++i) {
        sleep_until_ns(first + i * 1'000'000LL);
        written[static_cast<std::size_t>(i)] = monotonic_ns();
        outport(0x378, i & 0xFF);
    }
    std::vector<double> busy;
    unsigned long long shown_total = 0;
    long long shown_ns = 0;
    for (int i = 0; i < busy_writes; ++i) {
        const unsigned long long event = events + 1 + static_cast<unsigned long long>(i);
        while (shown_total < event &&
               std::fscanf(shown, " shown %llu %lld", &shown_total, &shown_ns) == 2) {
        }
        busy.push_back(static_cast<double>(shown_ns - written[static_cast<std::size_t>(i)]) / 1e6);
    }
    report("busy bus, writes back to back (one every 1 ms)", busy);

    kill(bench, SIGTERM);
    waitpid(bench, nullptr, 0);
    closecom();
    dlclose(library);
    shm_unlink(state.c_str());
    return 0;
}
