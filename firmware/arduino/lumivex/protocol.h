/* The serial protocol between a Lumivex port library and the board running the Lumivex sketch.
 * Plain C constants, included by the sketch (avr-gcc) and by the host library.
 *
 * The link runs at LUMIVEX_BAUD, 8 data bits, no parity, 1 stop bit. The host sends commands:
 * one opcode byte, then fixed operands; 16-bit operands and answer fields are little-endian.
 * The board runs them strictly in order, one after the other: a wait delays every command after
 * it, so each level change reaches the pins in the order sent and at least the waits sent
 * between them apart, whatever the USB link does with the bytes. Only 'R', 'Q', 'I' and 'S'
 * answer; each answer starts with the opcode in lower case.
 *
 * Lines are logical, numbered as the sketch's wiring table: bits 0..7 are D0..D7, bit 8 RS,
 * bit 9 R/W, bit 10 E. Lines the wiring leaves unconnected are ignored and read as 0. */
#ifndef LUMIVEX_PROTOCOL_H
#define LUMIVEX_PROTOCOL_H

/* 1,000,000 baud is exact at 16 MHz (U2X, UBRR 1): 10 us a byte. */
#define LUMIVEX_BAUD 1000000L

#define LUMIVEX_PROTOCOL_VERSION 1

/* Logical lines. */
#define LUMIVEX_LINE_D0 0
#define LUMIVEX_LINE_RS 8
#define LUMIVEX_LINE_RW 9
#define LUMIVEX_LINE_E 10
#define LUMIVEX_LINE_COUNT 11
#define LUMIVEX_ALL_LINES 0x07FF

/* Does nothing. A burst of LUMIVEX_RESYNC_LENGTH of them completes any command a previous
 * session left half sent (its operands become zeros: a mask of no lines, a wait of 0, a
 * PCF8574 address the board refuses), so the next byte is read as an opcode. */
#define LUMIVEX_OP_NOP 0x00
#define LUMIVEX_RESYNC_LENGTH 4
/* 'L' mask16 levels16: the lines in mask take their level from levels. An input line
 * remembers its level and takes it when it becomes an output; a level never turns on a
 * pull-up. No answer. */
#define LUMIVEX_OP_LEVELS 'L'
/* 'D' mask16 outputs16: the lines in mask become outputs (bit set, driving the remembered
 * level from the first instant) or inputs without pull-up (bit clear). At reset every line is
 * an input remembering level 0. No answer. */
#define LUMIVEX_OP_DIRECTIONS 'D'
/* 'R': answers 'r' levels16, every wired line's level as read at the pin. */
#define LUMIVEX_OP_READ 'R'
/* 'U' us16, 'M' ms16: the board waits at least that long before the next command.
 * No answer. */
#define LUMIVEX_OP_WAIT_US 'U'
#define LUMIVEX_OP_WAIT_MS 'M'
/* 'W' address7 value: writes one byte to the PCF8574 at address7 over I2C. No answer; a NACK
 * sets LUMIVEX_STATUS_NACK, an address outside 0x08..0x77 sets LUMIVEX_STATUS_BAD_COMMAND
 * without touching the bus. */
#define LUMIVEX_OP_I2C_WRITE 'W'
/* 'Q' address7: reads one byte from the PCF8574 at address7; answers 'q' status value, status
 * being this read's own (0 or LUMIVEX_STATUS_NACK or LUMIVEX_STATUS_BAD_COMMAND), value 0xFF
 * when it failed. The sticky status is not touched. */
#define LUMIVEX_OP_I2C_READ 'Q'
/* 'I': answers the identity, LUMIVEX_IDENTITY_LENGTH bytes:
 *   'i' 'L' 'V' 'X'   the magic that tells our sketch apart from anything else on the port
 *   version           LUMIVEX_PROTOCOL_VERSION
 *   mode              LUMIVEX_MODE_PINS or LUMIVEX_MODE_BACKPACK
 *   address           the backpack's PCF8574 address (backpack mode), 0 otherwise
 *   rx_buffer16       the receive buffer's size in bytes (see flow control)
 *   pin[11]           the Arduino pin number of each logical line, LUMIVEX_UNWIRED if none */
#define LUMIVEX_OP_IDENTIFY 'I'
#define LUMIVEX_IDENTITY_MAGIC "iLVX"
#define LUMIVEX_IDENTITY_LENGTH 20
#define LUMIVEX_MODE_PINS 0
#define LUMIVEX_MODE_BACKPACK 1
#define LUMIVEX_UNWIRED 0xFF
/* 'S' token: answers 's' token status once every command before it has run; status is the
 * sticky status gathered since the last 'S', which is then cleared. */
#define LUMIVEX_OP_SYNC 'S'

#define LUMIVEX_ANSWER_LENGTH_READ 3
#define LUMIVEX_ANSWER_LENGTH_I2C_READ 3
#define LUMIVEX_ANSWER_LENGTH_SYNC 3

/* Status bits. */
#define LUMIVEX_STATUS_NACK 0x01        /* a PCF8574 did not acknowledge */
#define LUMIVEX_STATUS_BAD_COMMAND 0x02 /* an unknown opcode (skipped) or a refused operand */
#define LUMIVEX_STATUS_OVERFLOW 0x04    /* received bytes were lost: the host sent too many */

/* Flow control: the board never stops reading, but while it waits the bytes pile up in its
 * receive buffer. The host keeps at most rx_buffer16 bytes sent after the last 'S' whose
 * answer it has seen (an 's' answer means every byte up to that 'S' has left the buffer).
 *
 * Opening the port: opening it pulses DTR, which resets an Uno or Nano; its bootloader runs for
 * up to about 2 s before the sketch starts and drops what it receives. The host sends
 * LUMIVEX_RESYNC_LENGTH NOPs and an 'I' every 250 ms until an answer starting with
 * LUMIVEX_IDENTITY_MAGIC arrives (giving up after about 3 s: no board with this sketch),
 * skipping whatever comes before it. Then it sends 'S' with a fresh token and reads on, skipping
 * further identities its retries caused, until that token's 's' answer: from there on the link
 * is in step and the sticky status is clear. */

#endif
