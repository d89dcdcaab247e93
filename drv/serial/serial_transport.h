#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace lumivex::serial {

// A serial port as the port library uses it: one device at a time, opened by name and set up for
// the board's link (raw bytes at the protocol's rate, no other program sharing it). Results are
// 0 or the system's error value: errno, or GetLastError() on Windows (link_errors.h reads
// them). Tests substitute their own.
class SerialTransport {
public:
    virtual ~SerialTransport() = default;
    // The devices "auto" tries, in order.
    virtual std::vector<std::string> candidates() = 0;
    virtual int open(const std::string& name) = 0;
    // Every byte is handed to the system; none is waited for beyond a full output buffer.
    virtual int write(std::span<const std::uint8_t> bytes) = 0;
    // What has arrived, waiting at most `timeout` for the first byte: `count` bytes of `bytes`,
    // none when the time ran out.
    virtual int read(std::span<std::uint8_t> bytes, std::chrono::milliseconds timeout,
                     std::size_t& count) = 0;
    // Bytes not yet sent are dropped.
    virtual void close() = 0;
};

SerialTransport& system_serial_transport();

} // namespace lumivex::serial
