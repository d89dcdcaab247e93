#pragma once

#include "drv/common/hardware_exports.h"
#include "drv/common/port_failures.h"
#include "drv/ppdev/parport_device.h"
#include "drv/ppdev/parport_paths.h"

#include <chrono>
#include <cstdint>
#include <string>

namespace lumivex::ppdev {

// LPT1 or LPT2 through the kernel's ppdev driver: the registers DR, SR and CR at the port's
// base address map to the ppdev ioctls. CR bit 5, the data direction, is carried by PPDATADIR;
// the kernel reads back only bits 0..3 of CR, so bit 5 is kept here.
class PpdevPort final : public drv::HardwarePort {
public:
    // A claim the kernel has not granted within `claim_limit` fails the opening.
    explicit PpdevPort(ParportDevice& device,
                       std::chrono::milliseconds claim_limit = std::chrono::seconds(1))
        : device_(device), claim_limit_(claim_limit) {}

    // Opens and claims the device of "LPT1:" or "LPT2:" (device_path()). On failure, error() says
    // why, and the device is closed.
    bool open(const std::string& device_name, const ParportPaths& paths = builtin_parport_paths());
    // The same with the devices of the configuration file (load_parport_paths).
    bool open_port(const std::string& device_name) override {
        return drv::open_configured(*this, device_name, load_parport_paths, failures_);
    }
    void close() override;

    // Addresses outside the open port are ignored; reading them gives 0xFF. Once the kernel
    // refuses a transfer, one line on standard error says which, and until the port is opened
    // again writes do nothing and reads give 0xFF.
    void write(int address, int value) override;
    int read(int address) override;

    const std::string& error() const override { return failures_.line(); }

private:
    bool claim(const std::string& path);
    // One ioctl on the open port; false when it was refused, now or before.
    bool transfer(unsigned long request, const char* name, void* argument);

    ParportDevice& device_;
    std::chrono::milliseconds claim_limit_;
    int base_ = 0; // 0 while closed
    int descriptor_ = -1;
    std::uint8_t direction_bit_ = 0;
    drv::PortFailures failures_{"ppdev"};
};

// The device path for "LPT1:" or "LPT2:": the one the environment variable LUMIVEX_PPDEV_LPT1 or
// LUMIVEX_PPDEV_LPT2 names, else the `configured` one.
std::string device_path(const std::string& device_name, const std::string& configured);

} // namespace lumivex::ppdev
