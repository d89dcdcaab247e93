#include "support/trace.h"

#include <cstdio>
#include <string_view>

std::string outport(int address, int value) {
    char line[40];
    std::snprintf(line, sizeof line, "OUTPORT %X %02X", address, value);
    return line;
}

std::string inport(int address) {
    char line[40];
    std::snprintf(line, sizeof line, "INPORT %X", address);
    return line;
}

std::string delay(int ms) {
    return "DELAY " + std::to_string(ms);
}

std::string notice(const std::string& text) {
    return "NOTICE " + text;
}

std::string joined(const Trace& trace) {
    std::string text;
    for (const std::string& line : trace)
        text += (text.empty() ? "" : " | ") + line;
    return text;
}

std::vector<BusPulse> decode_pulses(const Trace& trace, int base) {
    std::vector<BusPulse> pulses;
    int data = 0;
    int control = 0x0B;
    for (const std::string& line : trace) {
        unsigned address = 0;
        unsigned value = 0;
        if (std::sscanf(line.c_str(), "OUTPORT %X %X", &address, &value) != 2)
            continue;
        if (static_cast<int>(address) == base) {
            data = static_cast<int>(value);
        } else if (static_cast<int>(address) == base + 2) {
            const bool e_falls = (control & 0x04) != 0 && (value & 0x04) == 0;
            // RS and R/W are inverted by the port; take them as they were while E was high.
            if (e_falls)
                pulses.push_back({(~control >> 1) & 1, ~control & 1, data});
            control = static_cast<int>(value);
        }
    }
    return pulses;
}

std::vector<BusPulse> instructions(std::initializer_list<int> bytes) {
    std::vector<BusPulse> pulses;
    for (int byte : bytes)
        pulses.push_back({0, 0, byte});
    return pulses;
}

int total_delay_ms(const Trace& trace, int min_ms) {
    int total = 0;
    for (const std::string& line : trace) {
        int ms = 0;
        if (std::sscanf(line.c_str(), "DELAY %d", &ms) == 1 && ms > min_ms)
            total += ms;
    }
    return total;
}
