// Waits measured on Timer1 (0.5 us steps), asleep in between so received bytes are still
// taken. A wait lasts at least as long as asked; interrupts can only lengthen it a little.
#ifndef LUMIVEX_WAITS_H
#define LUMIVEX_WAITS_H

#include <stdint.h>

void waits_begin();
void wait_us(uint16_t us);
void wait_ms(uint16_t ms);

#endif
