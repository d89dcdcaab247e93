#include "drv/common/device_calls.h"
#include "drv/ppdev/parport_device.h"

#include <fstream>
#include <unistd.h>

namespace lumivex::ppdev {

namespace {

class SystemParportDevice final : public ParportDevice {
public:
    int open(const std::string& path) override { return drv::open_device(path); }
    int ioctl(int descriptor, unsigned long request, void* argument) override {
        return drv::device_ioctl(descriptor, request, argument);
    }
    void close(int descriptor) override { ::close(descriptor); }
    // The parport layer names the driver that has claimed port N in its sysctl tree.
    std::string holder(const std::string& path) override {
        const auto digits = path.find_last_not_of("0123456789");
        if (digits == std::string::npos || digits + 1 == path.size())
            return {};
        std::ifstream active("/proc/sys/dev/parport/parport" + path.substr(digits + 1) +
                             "/devices/active");
        std::string driver;
        active >> driver;
        return driver == "none" ? std::string() : driver;
    }
};

} // namespace

ParportDevice& system_parport_device() {
    static SystemParportDevice device;
    return device;
}

} // namespace lumivex::ppdev
