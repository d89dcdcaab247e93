#pragma once

#include <cstdint>
#include <string>

namespace lumivex::backpack {

// The I2C bus a backpack hangs on, as a port library reaches it (the kernel's i2c-dev, a USB
// bridge): a bus opened by the name its configuration gives, the address of the device to talk
// to, and single-byte transfers, which every adapter offers (SMBus-only adapters refuse plain
// read and write). Tests substitute their own.
class I2cDevice {
public:
    virtual ~I2cDevice() = default;
    // A descriptor for the bus, or the negated errno value of the failure.
    virtual int open(const std::string& bus) = 0;
    // Each returns 0, or the errno value of the failure.
    virtual int set_address(int bus, unsigned address) = 0;
    virtual int send_byte(int bus, std::uint8_t value) = 0;
    virtual int receive_byte(int bus, std::uint8_t& value) = 0;
    virtual void close(int bus) = 0;
};

} // namespace lumivex::backpack
