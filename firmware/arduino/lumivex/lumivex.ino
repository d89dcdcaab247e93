// Lumivex: this board becomes the port that the Lumivex port library "serial" drives over USB.
// The wiring and the switch to an I2C backpack are at the top of wiring.h.
#include "board.h"

void setup() { board_begin(); }

void loop() { board_run_next_command(); }
