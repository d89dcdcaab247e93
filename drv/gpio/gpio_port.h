#pragma once

#include "drv/common/hardware_exports.h"
#include "drv/common/port_failures.h"
#include "drv/common/signal_steps.h"
#include "drv/gpio/gpio_config.h"
#include "drv/gpio/gpio_device.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace lumivex::gpio {

// LPT1 or LPT2 on GPIO lines: the registers DR, SR and CR at the port's base address drive the
// display's and the LEDs' lines as a parallel port drives its pins, through one line request of
// the kernel's GPIO character device (uAPI v2). While R/W is high or CR bit 5 asks for input,
// the data lines are inputs and SR bits 6..3 (DR too) read D7..D4 (D7..D0) from them; the rest of
// the time SR and DR read what DR drives. Without an R/W line the data lines stay outputs.
class GpioPort final : public drv::HardwarePort {
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
    void lay_out(const Wiring& wiring);
    std::uint64_t line_values(const lpt::DisplaySignals& signals) const;
    std::uint64_t data_lines(int first_bit) const;
    void apply(lpt::DisplaySignals target);
    int configure(const lpt::DisplaySignals& signals);
    std::optional<std::uint8_t> sample(int first_bit);

    GpioDevice& device_;
    int base_ = 0; // 0 while closed
    int request_ = -1;
    std::vector<Line> lines_; // in the order of the request
    std::optional<int> rs_, rw_, e_;
    std::array<std::optional<int>, 8> data_{}, leds_{};
    lpt::PortRegisters registers_;
    lpt::DisplaySignals applied_;
    drv::PortFailures failures_{"gpio"};
};

} // namespace lumivex::gpio
