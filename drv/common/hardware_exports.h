#pragma once

#include <chrono>
#include <string>

namespace lumivex::drv {

// A port library's one port for real hardware, as the exports (hardware_exports.cpp, built
// into each such library) use it.
class HardwarePort {
public:
    virtual ~HardwarePort() = default;
    // Opens the port for "LPT1:" or "LPT2:", reading the library's configuration afresh. False
    // when the port cannot be had; error() then says why, in one line for standard error
    // and LASTERROR.
    virtual bool open_port(const std::string& device_name) = 0;
    virtual void close() = 0;
    // Addresses outside the open port are ignored; reading them gives 0xFF.
    virtual int read(int address) = 0;
    virtual void write(int address, int value) = 0;
    // The program waits this long (DELAY, DELAYUS) before its next access. A device that runs
    // the changes on its own clock is told, to keep them as far apart; the rest have nothing to
    // do.
    virtual void pause(std::chrono::nanoseconds) {}
    virtual const std::string& error() const = 0;
};

// The library's port, defined by each library.
HardwarePort& hardware_port();

} // namespace lumivex::drv
