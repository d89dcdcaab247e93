#include "board.h"

#include "i2c_byte.h"
#include "lines.h"
#include "protocol.h"
#include "serial_link.h"
#include "waits.h"
#include "wiring.h"

namespace {

// Gathered since the last sync.
uint8_t status;

void send_identity() {
    for (const char* magic = LUMIVEX_IDENTITY_MAGIC; *magic; ++magic)
        link_write(*magic);
    link_write(LUMIVEX_PROTOCOL_VERSION);
    link_write(LUMIVEX_BACKPACK ? LUMIVEX_MODE_BACKPACK : LUMIVEX_MODE_PINS);
    link_write(LUMIVEX_BACKPACK ? LUMIVEX_BACKPACK_ADDRESS : 0);
    link_write16(link_buffer_size);
    for (uint8_t pin : line_pins)
        link_write(pin);
}

void sync() {
    const uint8_t token = link_read();
    if (link_take_overflow())
        status |= LUMIVEX_STATUS_OVERFLOW;
    link_write('s');
    link_write(token);
    link_write(status);
    status = 0;
}

} // namespace

void board_begin() {
    lines_begin();
    waits_begin();
    link_begin();
}

void board_run_next_command() {
    switch (link_read()) {
    case LUMIVEX_OP_NOP:
        break;
    case LUMIVEX_OP_LEVELS: {
        const uint16_t mask = link_read16();
        lines_set_levels(mask, link_read16());
        break;
    }
    case LUMIVEX_OP_DIRECTIONS: {
        const uint16_t mask = link_read16();
        lines_set_directions(mask, link_read16());
        break;
    }
    case LUMIVEX_OP_READ:
        link_write('r');
        link_write16(lines_read());
        break;
    case LUMIVEX_OP_WAIT_US:
        wait_us(link_read16());
        break;
    case LUMIVEX_OP_WAIT_MS:
        wait_ms(link_read16());
        break;
    case LUMIVEX_OP_I2C_WRITE: {
        const uint8_t address = link_read();
        status |= i2c_write_byte(address, link_read());
        break;
    }
    case LUMIVEX_OP_I2C_READ: {
        uint8_t value;
        const uint8_t read_status = i2c_read_byte(link_read(), &value);
        link_write('q');
        link_write(read_status);
        link_write(value);
        break;
    }
    case LUMIVEX_OP_IDENTIFY:
        send_identity();
        break;
    case LUMIVEX_OP_SYNC:
        sync();
        break;
    default:
        status |= LUMIVEX_STATUS_BAD_COMMAND;
        break;
    }
}
