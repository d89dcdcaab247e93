// The logical lines (protocol bit numbers) on the pins of the wiring table, through the port
// registers. Unwired lines are ignored and read as 0.
#ifndef LUMIVEX_LINES_H
#define LUMIVEX_LINES_H

#include <stdint.h>

// Every wired line an input without pull-up, remembering level 0.
void lines_begin();
// Lines in mask remember their level from levels; those that are outputs drive it at once.
// E changes after the others when it rises and before them when it falls, so RS, R/W and the
// data are set up before E rises and held until after it falls.
void lines_set_levels(uint16_t mask, uint16_t levels);
// Lines in mask become outputs (bit set in outputs) driving their remembered level from the
// first instant, or inputs without pull-up.
void lines_set_directions(uint16_t mask, uint16_t outputs);
// The level at each wired line's pin.
uint16_t lines_read();

#endif
