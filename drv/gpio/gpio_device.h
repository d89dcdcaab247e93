#pragma once

#include <string>

namespace lumivex::gpio {

// The kernel's GPIO character device as the port library uses it: a chip opened by path, and
// ioctls on the chip's descriptor or on a line request's. Tests substitute their own.
class GpioDevice {
public:
    virtual ~GpioDevice() = default;
    // A descriptor for the chip, or the negated errno value of the failure.
    virtual int open(const std::string& path) = 0;
    // 0, or the errno value of the failure.
    virtual int ioctl(int descriptor, unsigned long request, void* argument) = 0;
    virtual void close(int descriptor) = 0;
};

GpioDevice& system_gpio_device();

} // namespace lumivex::gpio
