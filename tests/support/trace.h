#pragma once

#include <initializer_list>
#include <string>
#include <vector>

// One line per port-library call or notice, in the order they happened. Both fake port
// libraries (in-process and shared object) write the same lines.
using Trace = std::vector<std::string>;

std::string outport(int address, int value); // "OUTPORT 37A 0B"
std::string inport(int address);             // "INPORT 37A"
std::string delay(int ms);                   // "DELAY 1"
std::string notice(const std::string& text); // "NOTICE port not available"

// The lines joined by " | ", to compare a long trace with one string.
std::string joined(const Trace& trace);

// Register writes and reads at LPT1.
inline std::string dr(int value) {
    return outport(0x378, value);
}
inline std::string cr(int value) {
    return outport(0x37A, value);
}

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

// The sum of all DELAY calls, and of those longer than min_ms.
int total_delay_ms(const Trace& trace, int min_ms = 0);
