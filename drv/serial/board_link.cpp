#include "drv/serial/board_link.h"

#include "drv/serial/link_errors.h"
#include "firmware/arduino/lumivex/protocol.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace lumivex::serial {

namespace {

using std::chrono::milliseconds;
using Clock = std::chrono::steady_clock;

constexpr std::string_view magic = LUMIVEX_IDENTITY_MAGIC;
// How often the handshake asks again while the bootloader runs.
constexpr milliseconds identify_interval{250};
// How long an answer may take beyond the waits the board still has to run.
constexpr milliseconds answer_slack{1000};
// A sync is sent along after this share of the board's buffer, so that room comes back before
// it is needed.
constexpr std::size_t syncs_per_buffer = 4;
// Room kept for that sync.
constexpr std::size_t sync_length = 2;
constexpr std::uint16_t longest_wait = 0xFFFF;

std::vector<std::uint8_t> with_two_words(char opcode, unsigned first, unsigned second) {
    return {static_cast<std::uint8_t>(opcode), static_cast<std::uint8_t>(first),
            static_cast<std::uint8_t>(first >> 8), static_cast<std::uint8_t>(second),
            static_cast<std::uint8_t>(second >> 8)};
}

std::vector<std::uint8_t> wait_command(char opcode, std::int64_t count) {
    return {static_cast<std::uint8_t>(opcode), static_cast<std::uint8_t>(count),
            static_cast<std::uint8_t>(count >> 8)};
}

std::size_t answer_length(std::uint8_t opcode) {
    return opcode == 'i' ? LUMIVEX_IDENTITY_LENGTH : LUMIVEX_ANSWER_LENGTH_SYNC;
}

} // namespace

bool BoardIdentity::wired(int line) const {
    return pins[static_cast<std::size_t>(line)] != LUMIVEX_UNWIRED;
}

std::string BoardLink::failed(int error) const {
    return "the board stopped answering (" + error_text(error) + ")";
}

// Until `received_` holds `bytes` bytes, or why not.
std::string BoardLink::receive(std::size_t bytes, milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    std::uint8_t buffer[64];
    while (received_.size() < bytes) {
        const auto left = std::chrono::ceil<milliseconds>(deadline - Clock::now());
        std::size_t count = 0;
        if (const int error = transport_.read(buffer, std::max(left, milliseconds(0)), count);
            error != 0)
            return failed(error);
        if (count == 0)
            return "the board did not answer within " + std::to_string(timeout.count()) + " ms";
        received_.insert(received_.end(), buffer, buffer + count);
    }
    return {};
}

std::optional<BoardIdentity> BoardLink::identify(milliseconds patience, std::string& error) {
    received_.clear();
    pending_.clear();
    waits_ahead_ = {};
    status_ = 0;
    const std::vector<std::uint8_t> ask(LUMIVEX_RESYNC_LENGTH, LUMIVEX_OP_NOP);
    bool found = false;
    for (auto asked = milliseconds(0); !found && asked < patience; asked += identify_interval) {
        std::vector<std::uint8_t> command = ask;
        command.push_back(LUMIVEX_OP_IDENTIFY);
        if (const int fault = transport_.write(command); fault != 0) {
            error = failed(fault);
            return std::nullopt;
        }
        const auto deadline = Clock::now() + identify_interval;
        std::uint8_t buffer[64];
        for (std::size_t count = 1; !found && count != 0 && Clock::now() < deadline;) {
            const auto left = std::chrono::ceil<milliseconds>(deadline - Clock::now());
            if (const int fault = transport_.read(buffer, left, count); fault != 0) {
                error = failed(fault);
                return std::nullopt;
            }
            received_.insert(received_.end(), buffer, buffer + count);
            // What the bootloader or another program says before the magic does not count.
            while (!received_.empty() &&
                   !std::equal(received_.begin(),
                               received_.begin() + std::min(received_.size(), magic.size()),
                               magic.begin()))
                received_.pop_front();
            found = received_.size() >= magic.size();
        }
    }
    if (!found || !(error = receive(LUMIVEX_IDENTITY_LENGTH, answer_slack)).empty())
        return std::nullopt;
    std::vector<std::uint8_t> answer(received_.begin(),
                                     received_.begin() + LUMIVEX_IDENTITY_LENGTH);
    received_.erase(received_.begin(), received_.begin() + LUMIVEX_IDENTITY_LENGTH);
    BoardIdentity identity;
    identity.version = answer[4];
    identity.mode = answer[5];
    identity.address = answer[6];
    identity.receive_buffer = answer[7] | answer[8] << 8;
    std::copy(answer.begin() + 9, answer.end(), identity.pins.begin());

    // In step from the sync's answer on; identities that the retries caused come before it.
    sent_ = confirmed_ = synced_ = 0;
    window_ = identity.receive_buffer;
    unsigned status = 0;
    if (!(error = sync(status)).empty())
        return std::nullopt;
    sent_ = confirmed_ = synced_ = 0;
    return identity;
}

// Room in the board's buffer for `bytes` more and a sync after them: answers are read until
// the syncs they confirm free enough.
std::string BoardLink::make_room(std::size_t bytes) {
    while (sent_ + bytes + sync_length - confirmed_ > window_ && !pending_.empty()) {
        std::vector<std::uint8_t> answer;
        if (std::string error = take_answer(LUMIVEX_OP_SYNC, answer); !error.empty())
            return error;
    }
    return {};
}

std::string BoardLink::send(std::vector<std::uint8_t> command) {
    if (std::string error = make_room(command.size()); !error.empty())
        return error;
    if ((status_ & (LUMIVEX_STATUS_OVERFLOW | LUMIVEX_STATUS_BAD_COMMAND)) != 0)
        return "the board lost or refused commands (status " + std::to_string(status_) +
               "); it may have set lines the program did not ask for";
    sent_ += command.size();
    if (sent_ - synced_ >= window_ / syncs_per_buffer || command[0] == LUMIVEX_OP_SYNC) {
        if (command[0] != LUMIVEX_OP_SYNC) {
            command.insert(command.end(), {LUMIVEX_OP_SYNC, 0});
            sent_ += sync_length;
        }
        command.back() = next_token_;
        pending_.push_back({next_token_++, sent_});
        synced_ = sent_;
    }
    const int error = transport_.write(command);
    return error != 0 ? failed(error) : std::string();
}

// A sync's answer: the bytes up to it have left the board's buffer.
std::string BoardLink::note_sync(const std::vector<std::uint8_t>& answer) {
    if (pending_.empty() || answer[1] != pending_.front().token)
        return "the board answered a sync that was not sent";
    confirmed_ = pending_.front().sent;
    pending_.pop_front();
    status_ |= answer[2];
    return {};
}

// The next answer to `opcode`, after the syncs' answers before it.
std::string BoardLink::take_answer(char opcode, std::vector<std::uint8_t>& answer) {
    const char wanted = static_cast<char>(opcode - 'A' + 'a');
    for (;;) {
        if (std::string error = receive(1, answer_timeout()); !error.empty())
            return error;
        const std::uint8_t kind = received_.front();
        if (kind != 's' && kind != wanted && !(kind == 'i' && opcode == LUMIVEX_OP_SYNC)) {
            char text[8];
            std::snprintf(text, sizeof text, "0x%02X", kind);
            return std::string("the board answered out of turn (") + text + ")";
        }
        if (std::string error = receive(answer_length(kind), answer_timeout()); !error.empty())
            return error;
        answer.assign(received_.begin(), received_.begin() + answer_length(kind));
        received_.erase(received_.begin(), received_.begin() + answer_length(kind));
        waits_ahead_ = {};
        if (kind == 'i')
            continue; // the handshake's retries
        if (kind == 's')
            if (std::string error = note_sync(answer); !error.empty())
                return error;
        if (kind == wanted)
            return {};
    }
}

milliseconds BoardLink::answer_timeout() const {
    return answer_slack + std::chrono::ceil<milliseconds>(waits_ahead_);
}

std::string BoardLink::set_levels(unsigned mask, unsigned levels) {
    return send(with_two_words(LUMIVEX_OP_LEVELS, mask, levels));
}

std::string BoardLink::set_directions(unsigned mask, unsigned outputs) {
    return send(with_two_words(LUMIVEX_OP_DIRECTIONS, mask, outputs));
}

std::string BoardLink::read_levels(unsigned& levels) {
    std::vector<std::uint8_t> answer;
    std::string error = send({LUMIVEX_OP_READ});
    if (error.empty())
        error = take_answer(LUMIVEX_OP_READ, answer);
    levels = error.empty() ? answer[1] | answer[2] << 8 : 0;
    return error;
}

std::string BoardLink::wait(std::chrono::microseconds duration) {
    waits_ahead_ += duration;
    auto milliseconds_left = std::chrono::duration_cast<milliseconds>(duration).count();
    auto microseconds_left = duration.count();
    if (microseconds_left > longest_wait) {
        microseconds_left -= milliseconds_left * 1000;
        for (; milliseconds_left > 0; milliseconds_left -= longest_wait)
            if (std::string error = send(wait_command(
                    LUMIVEX_OP_WAIT_MS, std::min<std::int64_t>(milliseconds_left, longest_wait)));
                !error.empty())
                return error;
    }
    return microseconds_left > 0 ? send(wait_command(LUMIVEX_OP_WAIT_US, microseconds_left))
                                 : std::string();
}

std::string BoardLink::i2c_write(unsigned address, std::uint8_t value) {
    return send({LUMIVEX_OP_I2C_WRITE, static_cast<std::uint8_t>(address), value});
}

std::string BoardLink::i2c_read(unsigned address, std::uint8_t& value, unsigned& status) {
    std::vector<std::uint8_t> answer;
    std::string error = send({LUMIVEX_OP_I2C_READ, static_cast<std::uint8_t>(address)});
    if (error.empty())
        error = take_answer(LUMIVEX_OP_I2C_READ, answer);
    status = error.empty() ? answer[1] : 0;
    value = error.empty() ? answer[2] : 0xFF;
    return error;
}

unsigned BoardLink::take_status() {
    return std::exchange(status_, 0);
}

std::string BoardLink::sync(unsigned& status) {
    std::string error = send({LUMIVEX_OP_SYNC, 0});
    std::vector<std::uint8_t> answer;
    while (error.empty() && !pending_.empty())
        error = take_answer(LUMIVEX_OP_SYNC, answer);
    status = take_status();
    return error;
}

} // namespace lumivex::serial
