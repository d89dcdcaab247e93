#include "drv/gpio/gpio_device.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace lumivex::gpio {

namespace {

class SystemGpioDevice final : public GpioDevice {
public:
    int open(const std::string& path) override {
        const int descriptor = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
        return descriptor < 0 ? -errno : descriptor;
    }
    int ioctl(int descriptor, unsigned long request, void* argument) override {
        return ::ioctl(descriptor, request, argument) < 0 ? errno : 0;
    }
    void close(int descriptor) override { ::close(descriptor); }
};

} // namespace

GpioDevice& system_gpio_device() {
    static SystemGpioDevice device;
    return device;
}

} // namespace lumivex::gpio
