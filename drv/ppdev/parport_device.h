#pragma once

#include <string>

namespace lumivex::ppdev {

// The kernel's parallel port device, /dev/parportN, as the port library uses it: a port opened
// by path, ioctls on its descriptor. Tests substitute their own.
class ParportDevice {
public:
    virtual ~ParportDevice() = default;
    // A descriptor for the port, or the negated errno value of the failure.
    virtual int open(const std::string& path) = 0;
    // 0, or the errno value of the failure. PPCLAIM sleeps while another holds the port, until a
    // signal interrupts it (EINTR).
    virtual int ioctl(int descriptor, unsigned long request, void* argument) = 0;
    virtual void close(int descriptor) = 0;
    // The driver that holds the port behind a device path now, empty when none or unknown.
    virtual std::string holder(const std::string& path) = 0;
};

ParportDevice& system_parport_device();

} // namespace lumivex::ppdev
