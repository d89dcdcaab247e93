#pragma once

#include "drv/backpack/backpack.h"
#include "drv/backpack/i2c_device.h"
#include "drv/serial/board_link.h"

namespace lumivex::serial {

// The I2C bus of a board whose sketch is built for a backpack (PCF8574 on its A4/A5), through
// the board's I2C commands on a link already open: "opening" it takes no time. A read answers
// at once; a write is not waited for, and a refusal of the device (no acknowledge) is learnt
// from a later answer of the board, which fails the next write.
class BoardBus final : public backpack::I2cDevice {
public:
    explicit BoardBus(BoardLink& link) : link_(link) {}

    int open(const std::string&) override { return 0; }
    int set_address(int, unsigned address) override;
    int send_byte(int, std::uint8_t value) override;
    int receive_byte(int, std::uint8_t& value) override;
    void close(int) override {}

private:
    BoardLink& link_;
    unsigned address_ = 0;
};

// How the serial library's failures name a backpack on a board: by the board's serial device.
extern const backpack::BackpackBus board_backpack_bus;

} // namespace lumivex::serial
