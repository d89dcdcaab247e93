#include "waits.h"

#include <avr/interrupt.h>
#include <avr/io.h>
#include <avr/sleep.h>

const uint32_t ticks_per_us = F_CPU / 8 / 1000000;
static_assert(ticks_per_us * 8 * 1000000 == F_CPU, "Timer1 does not count whole microseconds");

// Only wakes the sleep.
EMPTY_INTERRUPT(TIMER1_COMPA_vect);

namespace {

// Sleeps until step ticks have passed since start (at most half the timer's range).
void sleep_until(uint16_t start, uint16_t step) {
    OCR1A = start + step;
    TIFR1 = _BV(OCF1A);
    TIMSK1 |= _BV(OCIE1A);
    for (;;) {
        cli();
        if (uint16_t(TCNT1 - start) >= step)
            break;
        sleep_enable();
        sei(); // the sleep instruction still runs before a pending interrupt is taken
        sleep_cpu();
        sleep_disable();
    }
    sei();
    TIMSK1 &= ~_BV(OCIE1A);
}

// One tick more than asked: the start was read up to a tick after the tick began.
void wait_ticks(uint32_t ticks) {
    uint16_t start = TCNT1;
    ++ticks;
    while (ticks > 0) {
        const uint16_t step = ticks > 0x8000 ? 0x8000 : ticks;
        sleep_until(start, step);
        start += step;
        ticks -= step;
    }
}

} // namespace

void waits_begin() {
    // Normal mode, clock / 8; this replaces the core's PWM set-up of Timer1 (pins 9 and 10).
    TCCR1A = 0;
    TCCR1B = _BV(CS11);
    TIMSK1 = 0;
    set_sleep_mode(SLEEP_MODE_IDLE);
}

void wait_us(uint16_t us) {
    wait_ticks(uint32_t(us) * ticks_per_us);
}

void wait_ms(uint16_t ms) {
    wait_ticks(uint32_t(ms) * 1000 * ticks_per_us);
}
