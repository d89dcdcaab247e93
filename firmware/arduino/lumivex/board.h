// The board as the port: it reads commands from the serial link and runs them in order.
#ifndef LUMIVEX_BOARD_H
#define LUMIVEX_BOARD_H

// Sets up the link, the lines (all inputs without pull-up) and the timer.
void board_begin();
// Waits for the next command and runs it to its end (its waits included).
void board_run_next_command();

#endif
