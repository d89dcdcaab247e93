// The serial link to the host on the USART (pins 0 and 1), at LUMIVEX_BAUD. Received bytes go
// into a ring buffer from the receive interrupt, so none is lost while a command waits.
#ifndef LUMIVEX_SERIAL_LINK_H
#define LUMIVEX_SERIAL_LINK_H

#include <stdint.h>

// How many received bytes the ring buffer holds.
const uint16_t link_buffer_size = 1023;

void link_begin();
// The next received byte; sleeps until one arrives.
uint8_t link_read();
uint16_t link_read16();
// Sends a byte once the transmitter has room.
void link_write(uint8_t byte);
void link_write16(uint16_t value);
// Whether bytes were lost to a full buffer since the last call.
bool link_take_overflow();

#endif
