// The MCP2221 through the kernel's hidraw driver: /dev/hidrawN, found by the HID device behind
// it (/sys/class/hidraw/hidrawN/device/uevent). hidraw passes reports as they are: the chip
// numbers none, so a write is the 64-byte report and a read returns one.
#include "drv/common/device_calls.h"
#include "drv/mcp2221/hid_transport.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <optional>
#include <poll.h>
#include <sstream>
#include <sys/file.h>
#include <unistd.h>
#include <vector>

namespace lumivex::mcp2221 {

namespace {

constexpr const char* hidraw_class = "/sys/class/hidraw/";
constexpr std::string_view bridge_id = "0003:000004d8:000000dd"; // USB, vendor, product
constexpr int answer_timeout_ms = 500; // the chip answers within a few USB frames

// The text of a small sysfs file; empty when it cannot be read.
std::string read_text(const std::string& path) {
    std::string text;
    const int file = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    char buffer[512];
    for (ssize_t size; file >= 0 && (size = ::read(file, buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<std::size_t>(size));
    if (file >= 0)
        ::close(file);
    return text;
}

// The value of the line "KEY=value" of a uevent file; nothing without such a line.
std::optional<std::string> uevent_value(const std::string& uevent, const std::string& key) {
    std::istringstream lines(uevent);
    for (std::string line; std::getline(lines, line);)
        if (line.starts_with(key + "="))
            return line.substr(key.size() + 1);
    return std::nullopt;
}

std::string lower_case(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// The entries of a folder, hidraw2 before hidraw10.
std::vector<std::string> entries(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* directory = ::opendir(folder.c_str())) {
        while (const dirent* entry = ::readdir(directory))
            if (entry->d_name[0] != '.')
                names.emplace_back(entry->d_name);
        ::closedir(directory);
    }
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return a.size() != b.size() ? a.size() < b.size() : a < b;
    });
    return names;
}

// The kernel's hid-mcp2221 driver makes a bridge it takes an I2C bus, without a hidraw device.
bool kernel_driver_has_bridge() {
    for (const std::string& device : entries("/sys/bus/hid/drivers/mcp2221"))
        if (lower_case(device).find(":04d8:00dd.") != std::string::npos)
            return true;
    return false;
}

class HidrawTransport final : public HidTransport {
public:
    int open(const std::string& serial) override {
        close();
        for (const std::string& name : entries(hidraw_class)) {
            const std::string uevent = read_text(hidraw_class + name + "/device/uevent");
            if (lower_case(uevent_value(uevent, "HID_ID").value_or("")) != bridge_id ||
                (!serial.empty() && uevent_value(uevent, "HID_UNIQ") != serial))
                continue;
            const int descriptor = drv::open_device("/dev/" + name);
            if (descriptor < 0)
                return -descriptor;
            // Two programs on one bridge would take each other's answers.
            if (::flock(descriptor, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
                ::close(descriptor);
                return EBUSY;
            }
            descriptor_ = descriptor;
            return 0;
        }
        return kernel_driver_has_bridge() ? EBUSY : ENODEV;
    }

    int send(const Report& report) override {
        const ssize_t written = ::write(descriptor_, report.data(), report.size());
        return written < 0 ? errno : written == static_cast<ssize_t>(report.size()) ? 0 : EIO;
    }

    int receive(Report& report) override {
        pollfd watch{descriptor_, POLLIN, 0};
        int ready = 0;
        while ((ready = ::poll(&watch, 1, answer_timeout_ms)) < 0 && errno == EINTR) {
        }
        if (ready <= 0)
            return ready == 0 ? ETIMEDOUT : errno;
        if ((watch.revents & POLLIN) == 0)
            return ENODEV; // hung up: unplugged
        report.fill(0);
        const ssize_t size = ::read(descriptor_, report.data(), report.size());
        return size < 0 ? errno : size == 0 ? EIO : 0;
    }

    void close() override {
        if (descriptor_ >= 0)
            ::close(descriptor_);
        descriptor_ = -1;
    }

private:
    int descriptor_ = -1;
};

} // namespace

HidTransport& system_hid_transport() {
    static HidrawTransport transport;
    return transport;
}

} // namespace lumivex::mcp2221
