#pragma once

#include "drv/backpack/backpack.h"
#include "drv/backpack/i2c_device.h"
#include "drv/common/hardware_exports.h"
#include "drv/common/port_failures.h"
#include "drv/common/signal_steps.h"

#include <cstdint>
#include <optional>
#include <string>

namespace lumivex::backpack {

// LPT1 or LPT2 on a PCF8574 I2C backpack on `bus`: the registers DR, SR and CR at the port's base
// address drive the display's lines through the expander's pins as a parallel port drives its own,
// one "send byte" for each change of the levels and nothing when they stay. DR bits 7..4 reach
// D7..D4, bits 3..0 reach nothing. While R/W is high or CR bit 5 asks for input, D7..D4 are set
// high (the expander's pins then only pull up, and the display can drive them) and SR bits 6..3
// (DR bits 7..4 too) read them with one "receive byte"; the rest of the time SR and DR read what
// DR drives, without a transfer.
class BackpackPort : public drv::HardwarePort {
public:
    BackpackPort(I2cDevice& device, const BackpackBus& bus)
        : device_(device), bus_(bus), failures_(bus.library) {}

    // Opens "LPT1:"'s or "LPT2:"'s backpack: its bus, its address, one byte received to see that
    // a device answers, and one byte sent that sets E, RS, R/W and D7..D4 low with the backlight
    // as configured. On failure, error() says why, and nothing is left open.
    bool open(const std::string& device_name, const Backpacks& backpacks);
    // The same with the backpacks of the library's configuration file (load_backpacks).
    bool open_port(const std::string& device_name) override;
    // Closes the bus, the levels left as they are.
    void close() override;

    // Addresses outside the open port are ignored; reading them gives 0xFF. Once a transfer
    // fails (the device stopped answering), one line on standard error says so, and until the
    // port is opened again writes do nothing and reads give 0xFF.
    void write(int address, int value) override;
    int read(int address) override;

    const std::string& error() const override { return failures_.line(); }

private:
    std::uint8_t pins(const lpt::DisplaySignals& signals) const;
    std::optional<std::uint8_t> sample();
    void stop_answering(int error);

    I2cDevice& device_;
    const BackpackBus& bus_;
    Backpack backpack_;
    int base_ = 0; // 0 while closed
    int descriptor_ = -1;
    lpt::PortRegisters registers_;
    lpt::DisplaySignals applied_;
    std::uint8_t sent_ = 0; // the expander's pins as last sent
    drv::PortFailures failures_;
};

} // namespace lumivex::backpack
