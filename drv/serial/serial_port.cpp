#include "drv/serial/serial_port.h"

#include "drv/common/config_places.h"
#include "drv/common/failure_text.h"
#include "drv/serial/link_errors.h"
#include "firmware/arduino/lumivex/protocol.h"
#include "port/lpt_wiring.h"

#include <cerrno>
#include <cstdio>
#include <string_view>

namespace lumivex::serial {

namespace {

// The bootloader that runs after the reset an open causes takes up to about 2 s.
constexpr std::chrono::milliseconds patience{3000};

constexpr unsigned control_lines =
    1u << LUMIVEX_LINE_RS | 1u << LUMIVEX_LINE_RW | 1u << LUMIVEX_LINE_E;

// What to do about a board that does not run the sketch this library needs.
std::string upload() {
    return "open " + sketch_path(drv::library_folder()) +
           " in the Arduino IDE and upload it to the board";
}

constexpr std::string_view missing = "no such serial port (is the board plugged in?)";

std::string open_failure(int error) {
    if (permission_denied(error))
        return drv::permission_reason("dialout");
    if (device_busy(error))
        return "in use by another program (a serial monitor, another Lumivex); close it first";
    if (device_missing(error))
        return std::string(missing);
    if (error == ENOTTY)
        return "not a serial port";
    return error_text(error);
}

} // namespace

std::string sketch_path(const std::string& library_folder) {
    const std::string in_sources = "firmware/arduino/lumivex/lumivex.ino";
    std::string path = library_folder; // <run folder>/drv/serial
    for (int level = 0; level < 2; ++level) {
        const auto separator = path.find_last_of("\\/");
        if (separator == std::string::npos)
            return in_sources;
        path.erase(separator);
    }
    for (const char* name : {"firmware", "arduino", "lumivex", "lumivex.ino"})
        path = drv::path_in(path, name);
    std::FILE* sketch = drv::open_for_reading(path);
    if (sketch == nullptr)
        return in_sources;
    std::fclose(sketch);
    return path;
}

// Opens `name` and shakes hands with the sketch; why not, or empty.
std::string SerialPort::connect(const std::string& name, BoardIdentity& identity) {
    if (const int error = transport_.open(name); error != 0)
        return open_failure(error);
    std::string error;
    const auto answer = link_.identify(patience, error);
    if (!error.empty())
        return error;
    if (!answer)
        return "no answer from the Lumivex sketch; " + upload();
    identity = *answer;
    if (identity.version != LUMIVEX_PROTOCOL_VERSION)
        return "the board runs the Lumivex sketch of protocol version " +
               std::to_string(identity.version) + ", this port library needs version " +
               std::to_string(LUMIVEX_PROTOCOL_VERSION) + "; " + upload();
    return identity.mode == LUMIVEX_MODE_BACKPACK ? std::string() : start(identity);
}

// The backpack on the board's I2C pins, at the address the sketch is built for, wired as the
// common backpack is.
bool SerialPort::open_backpack(const std::string& device_name, const std::string& name,
                               const BoardIdentity& identity) {
    backpack::Backpack board_backpack;
    board_backpack.bus = name;
    board_backpack.address = identity.address;
    backpack_.emplace(bus_, board_backpack_bus);
    if (backpack_->open(device_name, {board_backpack, board_backpack, {}}))
        return true;
    transport_.close();
    const std::string line = backpack_->error();
    backpack_.reset();
    return failures_.refuse(line);
}

// Lays the port out on the sketch's wiring and makes its lines low outputs: RS, R/W and E
// first, so that the display has let go of the data lines before they are driven.
std::string SerialPort::start(const BoardIdentity& identity) {
    const char* const names[] = {"D0", "D1", "D2", "D3", "D4", "D5", "D6", "D7", "RS", "R/W", "E"};
    drv::LineBits bits;
    wired_ = 0;
    for (int line = 0; line < LUMIVEX_LINE_COUNT; ++line) {
        const bool needed = line >= 4 && line != LUMIVEX_LINE_RW;
        if (!identity.wired(line) && needed)
            return std::string("the sketch's wiring has no pin for ") + names[line];
        if (identity.wired(line))
            wired_ |= 1u << line;
    }
    const auto wired = [&](int line) {
        return (wired_ >> line & 1) != 0 ? std::optional(line) : std::nullopt;
    };
    bits.rs = wired(LUMIVEX_LINE_RS);
    bits.rw = wired(LUMIVEX_LINE_RW);
    bits.e = wired(LUMIVEX_LINE_E);
    for (int bit = 0; bit < 8; ++bit)
        bits.data[bit] = wired(LUMIVEX_LINE_D0 + bit);
    std::string error = link_.set_levels(wired_, 0);
    if (error.empty())
        error = link_.set_directions(wired_ & control_lines, wired_ & control_lines);
    if (error.empty())
        error = link_.set_directions(wired_ & ~control_lines, wired_ & ~control_lines);
    registers_.reset(bits);
    return error;
}

bool SerialPort::open(const std::string& device_name, const BoardDevices& devices) {
    close();
    std::string reason;
    const BoardDevice* board = devices.of(device_name, "board", reason);
    if (board == nullptr)
        return failures_.refuse(device_name, reason);
    const std::vector<std::string> names =
        board->name.empty() ? transport_.candidates() : std::vector{board->name};
    std::string tried; // the devices there are, with why each is not the board
    for (const std::string& name : names) {
        BoardIdentity identity;
        reason = connect(name, identity);
        if (reason.empty() && identity.mode == LUMIVEX_MODE_BACKPACK &&
            !open_backpack(device_name, name, identity))
            return false;
        if (reason.empty()) {
            failures_.opened(name);
            base_ = lpt::base_address_of(device_name);
            return true;
        }
        transport_.close();
        if (!reason.starts_with(missing))
            tried += (tried.empty() ? "" : "; ") + name + ": " + reason;
    }
    if (!board->name.empty())
        return failures_.refuse(board->name, reason + devices.source.cure());
    if (tried.empty())
        return failures_.refuse("auto", "no serial port found (" + std::string(candidate_ports) +
                                            "); is the board plugged in?");
    return failures_.refuse("auto", "no board answered as the Lumivex sketch (" + tried + ")");
}

void SerialPort::close() {
    if (base_ == 0)
        return;
    unsigned status = 0;
    if (backpack_ ? backpack_->error().empty() : failures_.answering())
        link_.sync(status);
    backpack_.reset();
    transport_.close();
    base_ = 0;
}

int SerialPort::stop(const std::string& reason) {
    failures_.stop(reason + "; nothing reaches the board until the port is opened again");
    return EIO;
}

int SerialPort::set_levels(std::uint64_t levels, std::uint64_t mask) {
    const std::string error =
        link_.set_levels(static_cast<unsigned>(mask), static_cast<unsigned>(levels & mask));
    return error.empty() ? 0 : stop(error);
}

// Released data lines become inputs before anything else changes, and are driven again only
// once the rest has its levels.
int SerialPort::set_data_direction(bool input, std::uint64_t data, std::uint64_t levels) {
    const auto mask = static_cast<unsigned>(data);
    std::string error = input ? link_.set_directions(mask, 0) : std::string();
    if (error.empty())
        error = link_.set_levels(wired_, static_cast<unsigned>(levels));
    if (error.empty() && !input)
        error = link_.set_directions(mask, mask);
    return error.empty() ? 0 : stop(error);
}

int SerialPort::get_levels(std::uint64_t mask, std::uint64_t& levels) {
    unsigned read = 0;
    const std::string error = link_.read_levels(read);
    levels = read & mask;
    return error.empty() ? 0 : stop(error);
}

void SerialPort::write(int address, int value) {
    if (backpack_)
        return backpack_->write(address, value);
    if (const int offset = lpt::register_at(base_, address); offset >= 0)
        registers_.write(offset, static_cast<std::uint8_t>(value));
}

int SerialPort::read(int address) {
    if (backpack_)
        return backpack_->read(address);
    const int offset = lpt::register_at(base_, address);
    return offset >= 0 ? registers_.read(offset) : 0xFF;
}

void SerialPort::pause(std::chrono::nanoseconds duration) {
    if (base_ == 0 || !failures_.answering() || (backpack_ && !backpack_->error().empty()))
        return;
    if (const std::string error =
            link_.wait(std::chrono::ceil<std::chrono::microseconds>(duration));
        !error.empty())
        stop(error);
}

} // namespace lumivex::serial
