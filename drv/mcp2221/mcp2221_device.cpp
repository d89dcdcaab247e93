#include "drv/mcp2221/mcp2221_device.h"

#include <algorithm>
#include <cerrno>
#include <initializer_list>

namespace lumivex::mcp2221 {

namespace {

// Command codes, byte 0 of a command and of its answer. Write, read and get data carry the
// length in bytes 1 (low) and 2, write and read the device's address in byte 3: shifted left,
// plus 1 for a read.
constexpr std::uint8_t status_command = 0x10;
constexpr std::uint8_t write_command = 0x90;
constexpr std::uint8_t read_command = 0x91;
constexpr std::uint8_t get_data_command = 0x40;

// Status/set parameters: byte 2 cancels the transfer under way, byte 3 sets the speed to the
// divider in byte 4; the answer's byte 3 repeats set_speed when it took it, and byte 8 is the
// I2C engine's state.
constexpr std::uint8_t cancel_transfer = 0x10;
constexpr std::uint8_t set_speed = 0x20;
constexpr std::uint8_t divider_100khz = 12'000'000 / 100'000 - 3;
constexpr std::size_t status_engine_state = 8;

// Byte 1 of every answer; the others carry the engine's state in byte 2, and get data the
// number of bytes read in byte 3 (too_many on a failed read) and the bytes from byte 4.
constexpr std::uint8_t completed = 0x00;
constexpr std::uint8_t engine_idle = 0x00;
constexpr std::uint8_t address_nacked = 0x25;
constexpr std::uint8_t read_partial = 0x54;
constexpr std::uint8_t read_complete = 0x55;
constexpr std::uint8_t failed_read_length = 127;
constexpr int get_data_attempts = 4; // the data may still be on its way
constexpr int stray_answers = 2;

Report command(std::initializer_list<std::uint8_t> bytes) {
    Report report{};
    std::copy(bytes.begin(), bytes.end(), report.begin());
    return report;
}

} // namespace

// The answer to `command`. Answers to other commands before it are passed over: an earlier
// program that closed the bridge right after a command leaves its answer to come first.
int Mcp2221Device::receive(const Report& command, Report& answer) {
    for (int answers = 0; answers < stray_answers + 1; ++answers) {
        if (const int error = hid_.receive(answer); error != 0)
            return error;
        if (answer[0] == command[0])
            return 0;
    }
    return EIO;
}

int Mcp2221Device::exchange(const Report& command, Report& answer) {
    const int error = hid_.send(command);
    return error != 0 ? error : receive(command, answer);
}

int Mcp2221Device::status(std::uint8_t cancel, std::uint8_t speed, Report& answer) {
    const int error = exchange(command({status_command, 0, cancel, speed, divider_100khz}), answer);
    return error != 0 ? error : answer[1] == completed ? 0 : EIO;
}

// Frees the bus after a failed read, so the next transfer finds it idle; `error` is that
// failure.
int Mcp2221Device::cancelled(int error) {
    Report answer;
    status(cancel_transfer, 0, answer);
    return error;
}

// The answer to `command`, sent already. An engine still busy with something other than a
// missing device (a transfer left hanging) is cancelled, and the command goes once more.
int Mcp2221Device::answer_to(const Report& command, Report& answer) {
    int error = receive(command, answer);
    if (error == 0 && answer[1] != completed && answer[2] != address_nacked) {
        Report cancel;
        error = status(cancel_transfer, 0, cancel);
        if (error == 0)
            error = exchange(command, answer);
    }
    if (error == 0 && answer[1] != completed)
        return answer[2] == address_nacked ? ENXIO : EBUSY;
    return error;
}

int Mcp2221Device::open(const std::string& serial) {
    write_pending_ = false;
    if (const int error = hid_.open(serial); error != 0)
        return -error;
    Report answer;
    int error = status(0, 0, answer);
    if (error == 0 && answer[status_engine_state] != engine_idle) {
        error = status(cancel_transfer, 0, answer);
        if (error == 0)
            error = status(0, 0, answer);
        if (error == 0 && answer[status_engine_state] != engine_idle)
            error = EAGAIN;
    }
    if (error == 0)
        error = status(0, set_speed, answer);
    if (error == 0 && answer[3] != set_speed)
        error = EAGAIN;
    if (error != 0)
        hid_.close();
    return -error;
}

int Mcp2221Device::set_address(int, unsigned address) {
    address_byte_ = static_cast<std::uint8_t>(address << 1);
    return 0;
}

int Mcp2221Device::collect_write() {
    if (!write_pending_)
        return 0;
    write_pending_ = false;
    Report answer;
    return answer_to(last_write_, answer);
}

int Mcp2221Device::send_byte(int, std::uint8_t value) {
    if (const int error = collect_write(); error != 0)
        return error;
    last_write_ = command({write_command, 1, 0, address_byte_, value});
    const int error = hid_.send(last_write_);
    write_pending_ = error == 0;
    return error;
}

int Mcp2221Device::get_data(std::uint8_t& value) {
    Report answer;
    for (int attempt = 0; attempt < get_data_attempts; ++attempt) {
        if (const int error = exchange(command({get_data_command, 1, 0}), answer); error != 0)
            return error;
        if (answer[3] == failed_read_length)
            break;
        if (answer[1] == completed && answer[3] == 1 &&
            (answer[2] == read_complete || answer[2] == read_partial)) {
            value = answer[4];
            return 0;
        }
    }
    return cancelled(EIO);
}

int Mcp2221Device::receive_byte(int, std::uint8_t& value) {
    if (const int error = collect_write(); error != 0)
        return error;
    const Report read = command({read_command, 1, 0, static_cast<std::uint8_t>(address_byte_ | 1)});
    Report answer;
    int error = hid_.send(read);
    if (error == 0)
        error = answer_to(read, answer);
    return error != 0 ? error : get_data(value);
}

// The last write's answer is read first, so that it is not left to the next program.
void Mcp2221Device::close(int) {
    collect_write();
    hid_.close();
}

} // namespace lumivex::mcp2221
