#pragma once

#include "drv/common/hardware_exports.h"
#include "drv/common/line_registers.h"
#include "drv/common/port_failures.h"
#include "drv/gpio/gpio_config.h"
#include "drv/gpio/gpio_device.h"

#include <cstdint>
#include <string>
#include <vector>

namespace lumivex::gpio {

// LPT1 or LPT2 on GPIO lines: the registers DR, SR and CR at the port's base address drive the
// display's and the LEDs' lines as a parallel port drives its pins (drv::LineRegisters), through
// one line request of the kernel's GPIO character device (uAPI v2).
class GpioPort final : public drv::HardwarePort, private drv::LineDevice {
public:
    explicit GpioPort(GpioDevice& device) : device_(device) {}

    // Requests the lines of "LPT1:"'s or "LPT2:"'s wiring for the consumer "lumivex", all
    // outputs and low, once the chip has said that it has them. On failure, error() says why.
    bool open(const std::string& device_name, const Wirings& wirings);
    // The same with the wiring of the configuration file (load_wirings).
    bool open_port(const std::string& device_name) override {
        return drv::open_configured(*this, device_name, load_wirings, failures_);
    }
    // Releases the lines as they are.
    void close() override;

    // Addresses outside the open port are ignored; reading them gives 0xFF. Once the kernel
    // refuses a change or a read (a chip unplugged), one line on standard error says what failed,
    // and until the port is opened again writes do nothing and reads give 0xFF.
    void write(int address, int value) override;
    int read(int address) override;

    const std::string& error() const override { return failures_.line(); }

private:
    struct Line {
        unsigned offset;
        std::string signal;
        int config_line; // 0: not given by a file
    };

    std::string missing_line(int chip, const drv::ConfigSource& source) const;
    std::string request_lines(int chip);
    std::string request_failure(int chip, int error) const;
    drv::LineBits lay_out(const Wiring& wiring);
    int set_levels(std::uint64_t levels, std::uint64_t mask) override;
    int set_data_direction(bool input, std::uint64_t data, std::uint64_t levels) override;
    int get_levels(std::uint64_t mask, std::uint64_t& levels) override;

    GpioDevice& device_;
    int base_ = 0; // 0 while closed
    int request_ = -1;
    std::vector<Line> lines_; // in the order of the request
    drv::PortFailures failures_{"gpio"};
    drv::LineRegisters registers_{*this, failures_};
};

} // namespace lumivex::gpio
