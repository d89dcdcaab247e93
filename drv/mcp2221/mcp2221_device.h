#pragma once

#include "drv/backpack/i2c_device.h"
#include "drv/mcp2221/hid_transport.h"

namespace lumivex::mcp2221 {

// The MCP2221's I2C master as an I2C bus of one device at a time, over its HID commands: 0x10
// status and set parameters (cancel, speed), 0x90 write, 0x91 read and 0x40 get the data read.
// Every answer is checked: it must echo its command and report success. A write's answer is
// collected before the next command goes out, so the time until it comes overlaps the caller's
// own waits; a failure it reports is returned by that next call, or read and dropped at close.
// After a failed transfer the bridge cancels it, so the bus is free again. The bus is the bridge's
// USB serial number (empty for the first found); the descriptor is always 0.
class Mcp2221Device final : public backpack::I2cDevice {
public:
    explicit Mcp2221Device(HidTransport& hid) : hid_(hid) {}

    // Opens the bridge, cancels a transfer an earlier program left hanging and sets 100 kHz.
    // Beyond the transport's failures: EIO an answer not of an MCP2221, EAGAIN the bus stays
    // busy after the cancel.
    int open(const std::string& serial) override;
    int set_address(int bus, unsigned address) override;
    // ENXIO when no device acknowledges the address; EBUSY the bridge's I2C engine stays busy.
    int send_byte(int bus, std::uint8_t value) override;
    int receive_byte(int bus, std::uint8_t& value) override;
    void close(int bus) override;

private:
    int exchange(const Report& command, Report& answer);
    int receive(const Report& command, Report& answer);
    int answer_to(const Report& command, Report& answer);
    int status(std::uint8_t cancel, std::uint8_t speed, Report& answer);
    int cancelled(int error);
    int collect_write();
    int get_data(std::uint8_t& value);

    HidTransport& hid_;
    Report last_write_{};
    std::uint8_t address_byte_ = 0; // the 7-bit address, shifted left; reads add 1
    bool write_pending_ = false;    // a write's answer is still to come
};

} // namespace lumivex::mcp2221
