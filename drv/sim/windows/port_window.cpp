#include "drv/sim/windows/port_window.h"

#include "drv/sim/lcd_dots.h"
#include "drv/sim/windows/bench_drawing.h"

#include <algorithm>

namespace lumivex::sim {

namespace {

constexpr const char* class_name = "LumivexBenchWindow";
constexpr const char* title = "Lumivex bench";
constexpr UINT frame_ms = 16;
constexpr UINT_PTR frame_timer = 1;
constexpr UINT end_message = WM_APP; // destroys the window from its own thread

// Waits for any of the handles while answering messages that other threads send to this
// one: the window thread may send some (activation) while the caller waits for it.
void wait_answering_sent_messages(DWORD count, const HANDLE* handles) {
    while (MsgWaitForMultipleObjects(count, handles, FALSE, INFINITE, QS_SENDMESSAGE) ==
           WAIT_OBJECT_0 + count) {
        MSG message;
        PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

// This library, with a reference of the window thread's own: the code it runs stays loaded
// until FreeLibraryAndExitThread, whatever the program releases meanwhile.
HMODULE hold_this_library() {
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                       reinterpret_cast<LPCSTR>(&hold_this_library), &module);
    return module;
}

HWND create_window(HMODULE module, const Panel& panel, PortWindow* owner, WNDPROC procedure) {
    WNDCLASSA window_class{};
    window_class.lpfnWndProc = procedure;
    window_class.hInstance = module;
    window_class.hCursor = LoadCursor(nullptr, IDC_ARROW);
    window_class.lpszClassName = class_name;
    if (RegisterClassA(&window_class) == 0)
        return nullptr;
    const SIZE client = bench_client_size(panel);
    RECT frame{0, 0, client.cx, client.cy};
    AdjustWindowRectEx(&frame, WS_OVERLAPPEDWINDOW, FALSE, 0);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    // In the bottom right corner of the screen, out of the way of the program's dialog.
    RECT screen{0, 0, width, height};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &screen, 0);
    return CreateWindowExA(0, class_name, title, WS_OVERLAPPEDWINDOW,
                           std::max(screen.left, screen.right - width),
                           std::max(screen.top, screen.bottom - height), width, height, nullptr,
                           nullptr, module, owner);
}

} // namespace

PortWindow::PortWindow(const BenchView& first) : latest_(first), drawn_(first) {
    ready_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (ready_ == nullptr)
        return;
    thread_ = CreateThread(nullptr, 0, run, this, 0, nullptr);
    if (thread_ == nullptr)
        return;
    // The thread ends early when it cannot make the window.
    const HANDLE either[] = {ready_, thread_};
    wait_answering_sent_messages(2, either);
}

PortWindow::~PortWindow() {
    if (thread_ != nullptr) {
        if (window_ != nullptr)
            PostMessageA(window_, end_message, 0, 0);
        wait_answering_sent_messages(1, &thread_);
        CloseHandle(thread_);
    }
    if (ready_ != nullptr)
        CloseHandle(ready_);
}

void PortWindow::show(const BenchView& view) {
    AcquireSRWLockExclusive(&lock_);
    latest_ = view;
    ++version_;
    ReleaseSRWLockExclusive(&lock_);
}

DWORD WINAPI PortWindow::run(void* parameter) {
    auto& self = *static_cast<PortWindow*>(parameter);
    const HMODULE module = hold_this_library();
    const HWND window = create_window(module, self.drawn_.panel, &self, procedure);
    if (window != nullptr) {
        self.window_ = window;
        SetTimer(window, frame_timer, frame_ms, nullptr);
        ShowWindow(window, SW_SHOWNOACTIVATE);
        SetEvent(self.ready_);
        MSG message;
        while (GetMessageA(&message, nullptr, 0, 0) > 0) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    // Also when the window could not be made: a class left registered would refuse every
    // later window of this library, and its procedure would dangle once the library goes.
    UnregisterClassA(class_name, module);
    FreeLibraryAndExitThread(module, 0);
}

LRESULT CALLBACK PortWindow::procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_NCCREATE)
        SetWindowLongPtrA(
            window, GWLP_USERDATA,
            reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lparam)->lpCreateParams));
    auto* self = reinterpret_cast<PortWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    switch (message) {
    case WM_TIMER:
        self->next_frame(window);
        return 0;
    case WM_PAINT:
        self->paint(window);
        return 0;
    case WM_ERASEBKGND:
        return 1; // painting covers everything
    case WM_CLOSE:
        ShowWindow(window, SW_HIDE); // the port stays open
        return 0;
    case end_message:
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        KillTimer(window, frame_timer);
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(window, message, wparam, lparam);
    }
}

void PortWindow::next_frame(HWND window) {
    bool changed = false;
    AcquireSRWLockShared(&lock_);
    if (version_ != drawn_version_) {
        drawn_ = latest_;
        drawn_version_ = version_;
        changed = true;
    }
    ReleaseSRWLockShared(&lock_);
    const bool block_shown = blink_block_shown(GetTickCount64());
    changed |= block_shown != block_shown_ && drawn_.display.blink_on;
    block_shown_ = block_shown;
    if (changed)
        InvalidateRect(window, nullptr, FALSE);
}

// Drawn off screen first, so that a frame never flickers.
void PortWindow::paint(HWND window) {
    PAINTSTRUCT paint;
    const HDC screen = BeginPaint(window, &paint);
    RECT client;
    GetClientRect(window, &client);
    const HDC memory = CreateCompatibleDC(screen);
    const HBITMAP bitmap = CreateCompatibleBitmap(screen, client.right, client.bottom);
    const HGDIOBJ previous = SelectObject(memory, bitmap);
    draw_bench(memory, client, drawn_, block_shown_);
    BitBlt(screen, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    EndPaint(window, &paint);
}

} // namespace lumivex::sim
