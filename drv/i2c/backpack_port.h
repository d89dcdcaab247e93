#pragma once

#include "drv/backpack/backpack_port.h"

#include <optional>
#include <string>
#include <string_view>

namespace lumivex::i2c {

using backpack::Backpack;
using backpack::Backpacks;
using backpack::I2cDevice;

// The kernel's I2C buses, /dev/i2c-N: "bus = " names one by its path, its name under /dev or
// its number N (decimal, or hexadecimal with 0x); /dev/i2c-1 (a Raspberry Pi's I2C pins) unless
// configured; i2c.conf, LUMIVEX_I2C_CONF.
extern const backpack::BackpackBus kernel_bus;

// The backpacks of an i2c.conf (backpack::parse_backpacks on the kernel's buses).
std::optional<Backpacks> parse_backpacks(std::string_view text, std::string& error);

// A backpack on the kernel's I2C bus.
class BackpackPort final : public backpack::BackpackPort {
public:
    explicit BackpackPort(I2cDevice& device) : backpack::BackpackPort(device, kernel_bus) {}
};

I2cDevice& system_i2c_device();

} // namespace lumivex::i2c
