#pragma once

#include "drv/sim/windows/bench_view.h"

#include <cstdint>
#include <windows.h>

namespace lumivex::sim {

// The window "Lumivex bench" on a thread of its own, so that it keeps drawing while the
// program waits in DELAY. It draws the latest view about 60 times a second when that changed
// or the cursor block blinks. Closing it only hides it; it goes when this object does.
class PortWindow {
public:
    // Returns once the window is shown. Should no thread or window be had, the port works on
    // without one.
    explicit PortWindow(const BenchView& first);
    // Destroys the window; its thread has ended when this returns, so the library may then
    // be released.
    ~PortWindow();
    PortWindow(const PortWindow&) = delete;
    PortWindow& operator=(const PortWindow&) = delete;

    // The state after a port access; any thread.
    void show(const BenchView& view);

private:
    static DWORD WINAPI run(void* self);
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    void next_frame(HWND window);
    void paint(HWND window);

    SRWLOCK lock_ = SRWLOCK_INIT; // guards latest_ and version_
    BenchView latest_;
    std::uint64_t version_ = 0;

    // The window thread's own.
    BenchView drawn_;
    std::uint64_t drawn_version_ = 0;
    bool block_shown_ = false;

    HANDLE ready_ = nullptr;
    HANDLE thread_ = nullptr;
    HWND window_ = nullptr; // set by the thread before ready_
};

} // namespace lumivex::sim
