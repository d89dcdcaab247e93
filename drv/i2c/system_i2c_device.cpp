#include "drv/common/device_calls.h"
#include "drv/i2c/backpack_port.h"

#include <cerrno>
#include <linux/i2c-dev.h>
#include <linux/i2c.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace lumivex::i2c {

namespace {

// One SMBus transfer without a command register: "send byte" writes the byte itself as the
// command, "receive byte" reads one into data.
int smbus_byte(int bus, std::uint8_t read_write, std::uint8_t command, i2c_smbus_data* data) {
    i2c_smbus_ioctl_data transfer{read_write, command, I2C_SMBUS_BYTE, data};
    return ::ioctl(bus, I2C_SMBUS, &transfer) < 0 ? errno : 0;
}

class SystemI2cDevice final : public I2cDevice {
public:
    int open(const std::string& path) override { return drv::open_device(path); }
    int set_address(int bus, unsigned address) override {
        return ::ioctl(bus, I2C_SLAVE, static_cast<unsigned long>(address)) < 0 ? errno : 0;
    }
    int send_byte(int bus, std::uint8_t value) override {
        return smbus_byte(bus, I2C_SMBUS_WRITE, value, nullptr);
    }
    int receive_byte(int bus, std::uint8_t& value) override {
        i2c_smbus_data data{};
        const int error = smbus_byte(bus, I2C_SMBUS_READ, 0, &data);
        value = data.byte;
        return error;
    }
    void close(int bus) override { ::close(bus); }
};

} // namespace

I2cDevice& system_i2c_device() {
    static SystemI2cDevice device;
    return device;
}

} // namespace lumivex::i2c
