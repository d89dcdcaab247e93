#!/usr/bin/env python3
"""A board running the Lumivex sketch, as its serial link answers (firmware/arduino/lumivex/
protocol.h), on a pseudo-terminal: writes the terminal's path to PTY_FILE, then answers for
SECONDS and writes to LOG the data lines' levels after each change of them ("data 5A") and each
wait ("U us", "M ms"). Like a board that opening the port resets, it drops what it gets
in its first half second (the bootloader's time). Wired as the sketch's default: every line.
Usage: fake_board.py PTY_FILE LOG SECONDS"""
import os
import pty
import select
import sys
import time
import tty

LENGTHS = {b"L": 5, b"D": 5, b"U": 3, b"M": 3, b"W": 3, b"Q": 2, b"S": 2}
IDENTITY = b"iLVX" + bytes([1, 0, 0, 64, 0, 6, 7, 8, 9, 5, 4, 3, 2, 12, 10, 11])


def main(pty_file, log_path, seconds):
    master, slave = pty.openpty()
    tty.setraw(master)
    with open(pty_file + ".new", "w") as named:
        named.write(os.ttyname(slave))
    os.rename(pty_file + ".new", pty_file)
    log = open(log_path, "w", buffering=1)
    received, first_byte, levels = b"", None, 0
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        if not select.select([master], [], [], 0.1)[0]:
            continue
        received += os.read(master, 4096)
        first_byte = first_byte or time.monotonic()
        while received and len(received) >= LENGTHS.get(received[:1], 1):
            length = LENGTHS.get(received[:1], 1)
            command, received = received[:length], received[length:]
            op, words = command[:1], [int.from_bytes(command[i:i + 2], "little") for i in (1, 3)]
            if time.monotonic() - first_byte < 0.5:
                continue
            if op == b"I":
                os.write(master, IDENTITY)
            elif op == b"S":
                os.write(master, b"s" + command[1:2] + b"\0")
            elif op == b"R":
                os.write(master, b"r" + levels.to_bytes(2, "little"))
            elif op == b"L":
                levels = (levels & ~words[0]) | (words[1] & words[0])
                if words[0] & 0xFF:
                    log.write("data %02X\n" % (levels & 0xFF))
            elif op in (b"U", b"M"):
                log.write("%s %d\n" % (op.decode(), words[0]))


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2], float(sys.argv[3]))
