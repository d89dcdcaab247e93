// The serial port through termios: raw 8N1 at the protocol's rate, held exclusively.
#include "drv/serial/serial_transport.h"
#include "firmware/arduino/lumivex/protocol.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <glob.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace lumivex::serial {

namespace {

using Clock = std::chrono::steady_clock;

int milliseconds_until(Clock::time_point deadline) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    return static_cast<int>(std::max<std::chrono::milliseconds::rep>(left.count(), 0));
}

static_assert(LUMIVEX_BAUD == 1000000, "the termios rate below is B1000000");

// A full output buffer is waited for this long at most: a board that stopped reading is gone.
constexpr int write_timeout_ms = 1000;

// "/dev/ttyACM10" after "/dev/ttyACM9".
bool numbered_before(const std::string& left, const std::string& right) {
    return left.size() != right.size() ? left.size() < right.size() : left < right;
}

class PosixSerialTransport final : public SerialTransport {
public:
    std::vector<std::string> candidates() override {
        std::vector<std::string> names;
        for (const char* pattern : {"/dev/ttyACM*", "/dev/ttyUSB*"}) {
            glob_t found{};
            if (glob(pattern, 0, nullptr, &found) == 0) {
                std::vector<std::string> group(found.gl_pathv, found.gl_pathv + found.gl_pathc);
                std::sort(group.begin(), group.end(), numbered_before);
                names.insert(names.end(), group.begin(), group.end());
            }
            globfree(&found);
        }
        return names;
    }

    int open(const std::string& name) override {
        descriptor_ = ::open(name.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (descriptor_ < 0)
            return errno;
        const int error = set_up();
        if (error != 0)
            close();
        return error;
    }

    int write(std::span<const std::uint8_t> bytes) override {
        while (!bytes.empty()) {
            const ssize_t written = ::write(descriptor_, bytes.data(), bytes.size());
            if (written > 0) {
                bytes = bytes.subspan(static_cast<std::size_t>(written));
                continue;
            }
            if (written < 0 && errno == EINTR)
                continue;
            if (written < 0 && errno != EAGAIN)
                return errno;
            pollfd ready{descriptor_, POLLOUT, 0};
            const int polled = poll(&ready, 1, write_timeout_ms);
            if (polled == 0)
                return ETIMEDOUT;
            if (polled < 0 && errno != EINTR)
                return errno;
            if ((ready.revents & (POLLHUP | POLLERR)) != 0)
                return EIO;
        }
        return 0;
    }

    int read(std::span<std::uint8_t> bytes, std::chrono::milliseconds timeout,
             std::size_t& count) override {
        count = 0;
        pollfd ready{descriptor_, POLLIN, 0};
        // A signal cuts the wait short; the rest of it is waited again.
        const auto deadline = Clock::now() + timeout;
        int polled = 0;
        while ((polled = poll(&ready, 1, milliseconds_until(deadline))) < 0)
            if (errno != EINTR)
                return errno;
        if (polled == 0)
            return 0;
        const ssize_t got = ::read(descriptor_, bytes.data(), bytes.size());
        if (got > 0)
            count = static_cast<std::size_t>(got);
        else if (got == 0 || (ready.revents & (POLLHUP | POLLERR)) != 0)
            return EIO; // hung up: the board was unplugged
        else if (errno != EAGAIN && errno != EINTR)
            return errno;
        return 0;
    }

    void close() override {
        if (descriptor_ < 0)
            return;
        tcflush(descriptor_, TCOFLUSH); // closing would wait for a board that no longer reads
        ::close(descriptor_);
        descriptor_ = -1;
    }

private:
    // Exclusive (TIOCEXCL refuses later openers, the lock finds earlier ones), raw 8N1, and
    // nothing left over from before.
    int set_up() {
        if (flock(descriptor_, LOCK_EX | LOCK_NB) != 0)
            return errno == EWOULDBLOCK ? EBUSY : errno;
        termios settings{};
        if (ioctl(descriptor_, TIOCEXCL) != 0 || tcgetattr(descriptor_, &settings) != 0)
            return errno;
        cfmakeraw(&settings);
        settings.c_cflag |= CLOCAL | CREAD;
        settings.c_cflag &= ~(CSTOPB | CRTSCTS);
        settings.c_cc[VMIN] = 0;
        settings.c_cc[VTIME] = 0;
        if (cfsetspeed(&settings, B1000000) != 0 || tcsetattr(descriptor_, TCSANOW, &settings) != 0)
            return errno;
        tcflush(descriptor_, TCIOFLUSH);
        return 0;
    }

    int descriptor_ = -1;
};

} // namespace

SerialTransport& system_serial_transport() {
    static PosixSerialTransport transport;
    return transport;
}

} // namespace lumivex::serial
