#include "serial_link.h"

#include "protocol.h"

#include <avr/interrupt.h>
#include <avr/io.h>
#include <avr/sleep.h>
#include <util/atomic.h>

// Double speed (U2X): the divider of 1,000,000 baud is exact at 16 MHz.
static_assert(F_CPU % (8 * LUMIVEX_BAUD) == 0, "the baud rate is not exact at this clock");
const uint16_t baud_divider = F_CPU / (8 * LUMIVEX_BAUD) - 1;

const uint16_t ring_size = link_buffer_size + 1; // one slot stays free: full differs from empty

namespace {

volatile uint8_t ring[ring_size];
volatile uint16_t ring_head; // written by the interrupt
volatile uint16_t ring_tail; // written by link_read
volatile bool overflowed;

} // namespace

ISR(USART_RX_vect) {
    const uint8_t byte = UDR0;
    const uint16_t head = ring_head;
    const uint16_t next = head + 1 == ring_size ? 0 : head + 1;
    if (next == ring_tail) {
        overflowed = true;
        return;
    }
    ring[head] = byte;
    ring_head = next;
}

void link_begin() {
    UCSR0A = _BV(U2X0);
    UBRR0 = baud_divider;
    UCSR0C = _BV(UCSZ01) | _BV(UCSZ00); // 8 data bits, no parity, 1 stop bit
    UCSR0B = _BV(RXCIE0) | _BV(RXEN0) | _BV(TXEN0);
}

uint8_t link_read() {
    for (;;) {
        cli();
        if (ring_head != ring_tail)
            break;
        // The instruction after sei runs before any interrupt, so a byte arriving after the
        // test still wakes the sleep.
        sleep_enable();
        sei();
        sleep_cpu();
        sleep_disable();
    }
    sei();
    const uint16_t tail = ring_tail;
    const uint8_t byte = ring[tail];
    ATOMIC_BLOCK(ATOMIC_RESTORESTATE) {
        ring_tail = tail + 1 == ring_size ? 0 : tail + 1;
    }
    return byte;
}

uint16_t link_read16() {
    const uint8_t low = link_read();
    return low | uint16_t(link_read()) << 8;
}

void link_write(uint8_t byte) {
    while (!(UCSR0A & _BV(UDRE0))) {
    }
    UDR0 = byte;
}

void link_write16(uint16_t value) {
    link_write(value & 0xFF);
    link_write(value >> 8);
}

bool link_take_overflow() {
    bool was = false;
    ATOMIC_BLOCK(ATOMIC_RESTORESTATE) {
        was = overflowed;
        overflowed = false;
    }
    return was;
}
