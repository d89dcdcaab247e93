#pragma once

#include "drv/serial/serial_transport.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace lumivex::serial {

// What the sketch says of itself.
struct BoardIdentity {
    int version = 0;
    int mode = 0;         // LUMIVEX_MODE_PINS or LUMIVEX_MODE_BACKPACK
    unsigned address = 0; // the backpack's, in backpack mode
    std::size_t receive_buffer = 0;
    std::array<std::uint8_t, 11> pins{}; // the Arduino pin of each logical line; 0xFF: unwired
    bool wired(int line) const;
};

// The serial link to a board running the Lumivex sketch (protocol.h), over an open transport.
// Commands without an answer are sent at once and not waited for, keeping no more unconfirmed
// bytes than the board's receive buffer holds; commands with one wait for it. Every call gives
// an empty text, or why the link failed: the board has gone or does not answer.
class BoardLink {
public:
    explicit BoardLink(SerialTransport& transport) : transport_(transport) {}

    // The open handshake on a freshly opened port, through the reset that opening causes: the
    // sketch's identity, or nothing when no sketch answered within `patience`.
    std::optional<BoardIdentity> identify(std::chrono::milliseconds patience, std::string& error);
    // Then each command, once the sketch has identified itself.
    std::string set_levels(unsigned mask, unsigned levels);
    std::string set_directions(unsigned mask, unsigned outputs);
    std::string read_levels(unsigned& levels);
    std::string wait(std::chrono::microseconds duration);
    std::string i2c_write(unsigned address, std::uint8_t value);
    // One byte from the device at `address`, with the read's own status.
    std::string i2c_read(unsigned address, std::uint8_t& value, unsigned& status);
    // The status the board's answers have gathered since it was last taken.
    unsigned take_status();
    // Returns once the board has run everything sent, with the status it gathered since the
    // last sync (protocol.h's status bits).
    std::string sync(unsigned& status);

private:
    std::string send(std::vector<std::uint8_t> command);
    std::string make_room(std::size_t bytes);
    std::string take_answer(char opcode, std::vector<std::uint8_t>& answer);
    std::string receive(std::size_t bytes, std::chrono::milliseconds timeout);
    std::string note_sync(const std::vector<std::uint8_t>& answer);
    std::chrono::milliseconds answer_timeout() const;
    std::string failed(int error) const;

    struct PendingSync {
        std::uint8_t token;
        std::uint64_t sent; // the bytes sent up to and with it
    };

    SerialTransport& transport_;
    std::size_t window_ = 0;
    std::uint64_t sent_ = 0, confirmed_ = 0, synced_ = 0; // byte counts since the handshake
    std::deque<PendingSync> pending_;
    std::uint8_t next_token_ = 0;
    unsigned status_ = 0;                     // gathered from syncs the host did not ask for
    std::chrono::microseconds waits_ahead_{}; // waits sent since the last answer
    std::deque<std::uint8_t> received_;
};

} // namespace lumivex::serial
