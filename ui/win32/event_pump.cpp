#include "ui/win32/event_pump.h"

#include "drv/common/performance_counter.h"

#include <chrono>
#include <initializer_list>
#include <windows.h>

namespace lumivex::win32 {

namespace {

constexpr long long frame_us = 16'667;
// Bounds one pump, should a window never validate what it was asked to paint.
constexpr int most_messages_of_a_kind = 64;

long long now_us() {
    return std::chrono::duration_cast<std::chrono::microseconds>(drv::performance_counter_now())
        .count();
}

long long last_pump_us = 0;

long long us_until_next_pump() {
    const long long rest = last_pump_us + frame_us - now_us();
    return rest > 0 ? rest : 0;
}

void pump_non_input_messages() {
    last_pump_us = now_us();
    MSG message;
    for (const UINT kind : {WM_PAINT, WM_TIMER})
        for (int i = 0; i < most_messages_of_a_kind &&
                        PeekMessageA(&message, nullptr, kind, kind, PM_REMOVE | PM_NOYIELD);
             ++i)
            DispatchMessageA(&message);
    // Handles what other threads and processes have sent meanwhile; nothing else is taken.
    PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
}

// The thread long waits run on, started with the first one. It runs one wait at a time, while
// the dialog's thread waits for it to end.
class WaitThread {
public:
    WaitThread() {
        start_ = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        done_ = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        if (start_ != nullptr && done_ != nullptr)
            thread_ = CreateThread(nullptr, 0, loop, this, 0, nullptr);
    }
    bool usable() const { return thread_ != nullptr; }

    void begin(void (*wait)(void*), void* context) {
        wait_ = wait;
        context_ = context;
        running_ = true;
        SetEvent(start_);
    }
    HANDLE done() const { return done_; }
    void ended() { running_ = false; }
    void finish() {
        if (running_)
            WaitForSingleObject(done_, INFINITE);
        running_ = false;
    }

private:
    static DWORD WINAPI loop(void* self) {
        auto& thread = *static_cast<WaitThread*>(self);
        for (;;) {
            WaitForSingleObject(thread.start_, INFINITE);
            thread.wait_(thread.context_);
            SetEvent(thread.done_);
        }
    }

    HANDLE start_ = nullptr;
    HANDLE done_ = nullptr;
    HANDLE thread_ = nullptr;
    void (*wait_)(void*) = nullptr;
    void* context_ = nullptr;
    bool running_ = false;
};

WaitThread& wait_thread() {
    static WaitThread thread;
    return thread;
}

} // namespace

void pump_messages_between_waits() {
    if (us_until_next_pump() == 0)
        pump_non_input_messages();
}

void run_wait_answering(long long length_us, void (*wait)(void* context), void* context) {
    WaitThread& thread = wait_thread();
    if (length_us < frame_us || !thread.usable()) {
        wait(context);
        return;
    }
    thread.begin(wait, context);
    const HANDLE done = thread.done();
    for (;;) {
        if (MsgWaitForMultipleObjects(1, &done, FALSE, INFINITE,
                                      QS_PAINT | QS_TIMER | QS_SENDMESSAGE) == WAIT_OBJECT_0)
            break;
        const auto rest_ms = static_cast<DWORD>((us_until_next_pump() + 999) / 1000);
        if (rest_ms > 0 && WaitForSingleObject(done, rest_ms) == WAIT_OBJECT_0)
            break;
        pump_non_input_messages();
    }
    thread.ended();
}

void finish_running_wait() {
    wait_thread().finish();
}

} // namespace lumivex::win32
