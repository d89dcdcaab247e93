#include "drv/common/device_calls.h"
#include "drv/gpio/gpio_device.h"

#include <unistd.h>

namespace lumivex::gpio {

namespace {

class SystemGpioDevice final : public GpioDevice {
public:
    int open(const std::string& path) override { return drv::open_device(path); }
    int ioctl(int descriptor, unsigned long request, void* argument) override {
        return drv::device_ioctl(descriptor, request, argument);
    }
    void close(int descriptor) override { ::close(descriptor); }
};

} // namespace

GpioDevice& system_gpio_device() {
    static SystemGpioDevice device;
    return device;
}

} // namespace lumivex::gpio
