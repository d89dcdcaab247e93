#include "drv/ppdev/interruptible_call.h"

#include <condition_variable>
#include <mutex>
#include <pthread.h>
#include <thread>

namespace lumivex::ppdev {

namespace {

// A signal sent before the call starts to sleep is lost; it goes again this often.
constexpr std::chrono::milliseconds resend_interval(10);

void do_nothing(int) {}

} // namespace

int call_interruptibly(const std::function<int()>& call, std::chrono::milliseconds limit) {
    struct sigaction interrupt = {};
    interrupt.sa_handler = do_nothing; // without SA_RESTART, so the call is not resumed
    sigemptyset(&interrupt.sa_mask);
    struct sigaction previous = {};
    sigaction(interrupting_signal, &interrupt, &previous);

    std::mutex mutex;
    std::condition_variable returned;
    bool done = false;
    int result = 0;
    std::thread caller([&] {
        sigset_t signal;
        sigemptyset(&signal);
        sigaddset(&signal, interrupting_signal);
        pthread_sigmask(SIG_UNBLOCK, &signal, nullptr);
        const int answer = call();
        const std::lock_guard lock(mutex);
        result = answer;
        done = true;
        returned.notify_one();
    });
    {
        std::unique_lock lock(mutex);
        for (auto wait = limit; !returned.wait_for(lock, wait, [&] { return done; });
             wait = resend_interval)
            pthread_kill(caller.native_handle(), interrupting_signal);
    }
    caller.join();
    sigaction(interrupting_signal, &previous, nullptr);
    return result;
}

} // namespace lumivex::ppdev
