#pragma once

// What the timing benchmarks share: the system's loader with every DELAY's milliseconds
// counted on the way to the port library, notices answered without anyone at the keyboard,
// and a wall clock.
#include "app/notice.h"
#include "port/library_loader.h"
#include "port/port_library.h"

#include <chrono>
#include <cstdio>
#include <string>

namespace lumivex::benchmarks {

using wall_clock = std::chrono::steady_clock;

inline PortDelay library_delay = nullptr;
// The milliseconds DELAY was asked for since it was last set to 0.
inline long long requested_ms = 0;

inline int32_t PORT_LIBRARY_CALL counted_delay(int32_t ms) {
    requested_ms += ms;
    return library_delay(ms);
}

// The system loader, with DELAY counted on its way to the library.
class CountingLoader final : public port::LibraryLoader {
public:
    port::LibraryHandle load(const char* path) override { return system().load(path); }
    std::string last_error() override { return system().last_error(); }
    port::LibrarySymbol find(port::LibraryHandle library, const char* name) override {
        const port::LibrarySymbol symbol = system().find(library, name);
        if (symbol == nullptr || std::string(name) != "DELAY")
            return symbol;
        library_delay = reinterpret_cast<PortDelay>(symbol);
        return reinterpret_cast<port::LibrarySymbol>(&counted_delay);
    }
    void release(port::LibraryHandle library) override { system().release(library); }

private:
    static port::LibraryLoader& system() { return port::system_library_loader(); }
};

// Nobody at the keyboard: questions are answered Yes.
class AnsweringNotices final : public app::NoticeSink {
public:
    app::Answer show(app::NoticeOwner, std::string_view text, std::string_view,
                     app::NoticeKind kind) override {
        std::printf("notice: %.*s\n", static_cast<int>(text.size()), text.data());
        return kind == app::NoticeKind::question ? app::Answer::yes : app::Answer::ok;
    }
};

inline double seconds_since(wall_clock::time_point start) {
    return std::chrono::duration<double>(wall_clock::now() - start).count();
}

// Runs action and prints its wall time against the milliseconds it asked DELAY for.
template <typename Action> void report_ratio(const char* name, Action action) {
    requested_ms = 0;
    const auto start = wall_clock::now();
    action();
    const double wall = seconds_since(start);
    const double nominal = static_cast<double>(requested_ms) / 1000.0;
    std::printf("%-10s wall %.4f s, waits %.3f s, ratio %.5f\n", name, wall, nominal,
                wall / nominal);
}

} // namespace lumivex::benchmarks
