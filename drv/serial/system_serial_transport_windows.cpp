// The serial port through the Win32 comm API: raw 8N1 at the protocol's rate. Windows opens a
// COM port for one program at a time by itself.
#include "drv/serial/serial_transport.h"
#include "firmware/arduino/lumivex/protocol.h"

#include <algorithm>
#include <windows.h>

namespace lumivex::serial {

namespace {

constexpr int last_com_port = 32;
// A full output buffer is waited for this long at most: a board that stopped reading is gone.
constexpr DWORD write_timeout_ms = 1000;

class WindowsSerialTransport final : public SerialTransport {
public:
    std::vector<std::string> candidates() override {
        std::vector<std::string> names;
        for (int number = 1; number <= last_com_port; ++number)
            names.push_back("COM" + std::to_string(number));
        return names;
    }

    int open(const std::string& name) override {
        // The device namespace reaches COM10 and above too.
        port_ = CreateFileA(("\\\\.\\" + name).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                            OPEN_EXISTING, 0, nullptr);
        if (port_ == INVALID_HANDLE_VALUE)
            return static_cast<int>(GetLastError());
        const int error = set_up();
        if (error != 0)
            close();
        return error;
    }

    int write(std::span<const std::uint8_t> bytes) override {
        DWORD written = 0;
        if (!WriteFile(port_, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr))
            return static_cast<int>(GetLastError());
        return written == bytes.size() ? 0 : ERROR_TIMEOUT;
    }

    // The first byte waits, the rest is what has come with it: a read of more than is there
    // would wait out its whole timeout under some drivers (and Wine).
    int read(std::span<std::uint8_t> bytes, std::chrono::milliseconds timeout,
             std::size_t& count) override {
        count = 0;
        DWORD waiting = 0;
        if (const int error = queued(waiting); error != 0 || bytes.empty())
            return error;
        if (waiting == 0) {
            const auto total = static_cast<DWORD>(std::max<std::int64_t>(timeout.count(), 1));
            if (const int error =
                    read_some(bytes.first(1), {0, 0, total, 0, write_timeout_ms}, count);
                error != 0 || count == 0)
                return error;
            if (const int error = queued(waiting); error != 0)
                return error;
        }
        std::size_t more = 0;
        const auto rest =
            bytes.subspan(count, std::min<std::size_t>(waiting, bytes.size() - count));
        const int error =
            rest.empty() ? 0 : read_some(rest, {MAXDWORD, 0, 0, 0, write_timeout_ms}, more);
        count += more;
        return error;
    }

    void close() override {
        if (port_ == INVALID_HANDLE_VALUE)
            return;
        PurgeComm(port_, PURGE_TXCLEAR | PURGE_TXABORT);
        CloseHandle(port_);
        port_ = INVALID_HANDLE_VALUE;
    }

private:
    int set_up() {
        DCB settings{};
        settings.DCBlength = sizeof settings;
        if (!GetCommState(port_, &settings))
            return static_cast<int>(GetLastError());
        settings.BaudRate = LUMIVEX_BAUD;
        settings.ByteSize = 8;
        settings.Parity = NOPARITY;
        settings.StopBits = ONESTOPBIT;
        settings.fBinary = TRUE;
        settings.fParity = FALSE;
        settings.fOutxCtsFlow = FALSE;
        settings.fOutxDsrFlow = FALSE;
        settings.fDsrSensitivity = FALSE;
        settings.fOutX = FALSE;
        settings.fInX = FALSE;
        settings.fNull = FALSE;
        settings.fAbortOnError = FALSE;
        settings.fDtrControl = DTR_CONTROL_ENABLE;
        settings.fRtsControl = RTS_CONTROL_ENABLE;
        COMMTIMEOUTS writes_only{MAXDWORD, 0, 0, 0, write_timeout_ms};
        if (!SetCommState(port_, &settings) || !SetCommTimeouts(port_, &writes_only) ||
            !PurgeComm(port_, PURGE_RXCLEAR | PURGE_TXCLEAR | PURGE_RXABORT | PURGE_TXABORT))
            return static_cast<int>(GetLastError());
        return 0;
    }

    int queued(DWORD& bytes) {
        COMSTAT status{};
        DWORD errors = 0;
        if (!ClearCommError(port_, &errors, &status))
            return static_cast<int>(GetLastError());
        bytes = status.cbInQue;
        return 0;
    }

    int read_some(std::span<std::uint8_t> bytes, COMMTIMEOUTS timeouts, std::size_t& count) {
        DWORD got = 0;
        if (!SetCommTimeouts(port_, &timeouts) ||
            !ReadFile(port_, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr))
            return static_cast<int>(GetLastError());
        count = got;
        return 0;
    }

    HANDLE port_ = INVALID_HANDLE_VALUE;
};

} // namespace

SerialTransport& system_serial_transport() {
    static WindowsSerialTransport transport;
    return transport;
}

} // namespace lumivex::serial
