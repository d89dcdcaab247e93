#pragma once

#include "drv/backpack/backpack_port.h"
#include "drv/common/hardware_exports.h"
#include "drv/common/line_registers.h"
#include "drv/common/port_failures.h"
#include "drv/serial/board_bus.h"
#include "drv/serial/board_link.h"
#include "drv/serial/serial_config.h"
#include "drv/serial/serial_transport.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace lumivex::serial {

// The sketch a board must run, as the run folder holding the library in `library_folder`
// (<run folder>/drv/serial) has it; the path in the sources when that folder holds none.
std::string sketch_path(const std::string& library_folder);

// LPT1 or LPT2 on a board running the Lumivex sketch: the registers DR, SR and CR at the port's
// base address drive the lines of the sketch's wiring as a parallel port drives its pins
// (drv::LineRegisters), each change sent over the serial link and run by the board in order.
// Lines the sketch leaves unwired are not driven. A sketch built for a backpack drives the
// display through the PCF8574 on its I2C pins instead, as the i2c library does
// (backpack::BackpackPort). The program's waits are sent along, so the board keeps them between
// the changes however the link delivers them.
class SerialPort final : public drv::HardwarePort, private drv::LineDevice {
public:
    explicit SerialPort(SerialTransport& transport) : transport_(transport) {}

    // Opens the board of "LPT1:" or "LPT2:": its device, or with "auto" each candidate in turn
    // until one answers as the sketch; then every wired line becomes a low output, the control
    // lines first. On failure, error() says why, naming the devices tried, and nothing is left
    // open.
    bool open(const std::string& device_name, const BoardDevices& devices);
    // The same with the devices of the configuration file (load_board_devices).
    bool open_port(const std::string& device_name) override {
        return drv::open_configured(*this, device_name, load_board_devices, failures_);
    }
    // Returns once the board has run everything sent (a second at most beyond the waits it was
    // sent), and closes the device with the lines as they are.
    void close() override;

    // Addresses outside the open port are ignored; reading them gives 0xFF. Writes are not
    // waited for; reads of the data lines wait for the board's answer. Once the board has gone
    // or stopped answering, one line on standard error says so, and until the port is opened
    // again nothing is sent, writes do nothing and reads give 0xFF.
    void write(int address, int value) override;
    int read(int address) override;
    void pause(std::chrono::nanoseconds duration) override;

    const std::string& error() const override { return failures_.line(); }

private:
    std::string connect(const std::string& name, BoardIdentity& identity);
    std::string start(const BoardIdentity& identity);
    bool open_backpack(const std::string& device_name, const std::string& name,
                       const BoardIdentity& identity);
    int set_levels(std::uint64_t levels, std::uint64_t mask) override;
    int set_data_direction(bool input, std::uint64_t data, std::uint64_t levels) override;
    int get_levels(std::uint64_t mask, std::uint64_t& levels) override;
    int stop(const std::string& reason);

    SerialTransport& transport_;
    BoardLink link_{transport_};
    BoardBus bus_{link_};
    std::optional<backpack::BackpackPort> backpack_; // while a backpack is open
    unsigned wired_ = 0;                             // the lines the sketch has pins for
    int base_ = 0;                                   // 0 while closed
    drv::PortFailures failures_{"serial"};
    drv::LineRegisters registers_{*this, failures_};
};

} // namespace lumivex::serial
