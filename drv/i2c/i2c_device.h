#pragma once

#include <cstdint>
#include <string>

namespace lumivex::i2c {

// The kernel's I2C character device (i2c-dev) as the port library uses it: a bus opened by path,
// the address of the device to talk to, and single-byte SMBus transfers, which every adapter
// offers (SMBus-only adapters refuse plain read and write). Tests substitute their own.
class I2cDevice {
public:
    virtual ~I2cDevice() = default;
    // A descriptor for the bus, or the negated errno value of the failure.
    virtual int open(const std::string& path) = 0;
    // Each returns 0, or the errno value of the failure.
    virtual int set_address(int bus, unsigned address) = 0;
    virtual int send_byte(int bus, std::uint8_t value) = 0;
    virtual int receive_byte(int bus, std::uint8_t& value) = 0;
    virtual void close(int bus) = 0;
};

I2cDevice& system_i2c_device();

} // namespace lumivex::i2c
