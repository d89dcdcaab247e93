#pragma once

#include <initializer_list>
#include <string>
#include <vector>

// One line per port-library call or notice, in the order they happened. Both fake port
// libraries (in-process and shared object) write the same lines.
using Trace = std::vector<std::string>;

std::string outport(int address, int value); // "OUTPORT 37A 0B"
std::string inport(int address);             // "INPORT 37A"
inline std::string delay(int ms) {
    return "DELAY " + std::to_string(ms);
}
inline std::string notice(const std::string& text) {
    return "NOTICE " + text;
}
// The lines joined by " | ", to compare a long trace with one string.
std::string joined(const Trace& trace);
// The lines joined by "|", those at LPT1 in short: "D41" and "C0B" DR and CR written, "D?", "S?"
// and "C?" DR, SR and CR read, "w1" DELAY 1, "N:text" a notice; the others as they are.
std::string brief(const Trace& trace);

// One E falling edge as the display sees it: RS, R/W and DR at that moment.
struct BusPulse {
    int rs;
    int rw;
    int data;
    bool operator==(const BusPulse&) const = default;
};
std::vector<BusPulse> decode_pulses(const Trace& trace, int base = 0x378);
// The pulses of instructions (RS and R/W low) with these bytes.
std::vector<BusPulse> instructions(std::initializer_list<int> bytes);
// The sum of all DELAY calls.
int total_delay_ms(const Trace& trace);
