#include "support/trace.h"

#include <cstdio>

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

std::string joined(const Trace& trace) {
    std::string text;
    for (const std::string& line : trace)
        text += (text.empty() ? "" : " | ") + line;
    return text;
}

std::string brief(const Trace& trace) {
    const std::pair<std::string, std::string> shorts[] = {
        {"OUTPORT 378 ", "D"}, {"OUTPORT 37A ", "C"}, {"INPORT 378", "D?"}, {"INPORT 379", "S?"},
        {"INPORT 37A", "C?"},  {"DELAY ", "w"},       {"NOTICE ", "N:"}};
    std::string text;
    for (std::string line : trace) {
        for (const auto& [long_form, short_form] : shorts)
            if (line.starts_with(long_form))
                line = short_form + line.substr(long_form.size());
        text += (text.empty() ? "" : "|") + line;
    }
    return text;
}

std::vector<BusPulse> decode_pulses(const Trace& trace, int base) {
    std::vector<BusPulse> pulses;
    int data = 0, control = 0x0B;
    unsigned address = 0, value = 0;
    for (const std::string& line : trace) {
        if (std::sscanf(line.c_str(), "OUTPORT %X %X", &address, &value) != 2)
            continue;
        if (static_cast<int>(address) == base)
            data = static_cast<int>(value);
        // RS and R/W are inverted by the port; take them as they were while E was high.
        if (static_cast<int>(address) == base + 2 && (control & 0x04) != 0 && (value & 0x04) == 0)
            pulses.push_back({(~control >> 1) & 1, ~control & 1, data});
        if (static_cast<int>(address) == base + 2)
            control = static_cast<int>(value);
    }
    return pulses;
}

std::vector<BusPulse> instructions(std::initializer_list<int> bytes) {
    std::vector<BusPulse> pulses;
    for (int byte : bytes)
        pulses.push_back({0, 0, byte});
    return pulses;
}

int total_delay_ms(const Trace& trace) {
    int total = 0, ms = 0;
    for (const std::string& line : trace)
        total += std::sscanf(line.c_str(), "DELAY %d", &ms) == 1 ? ms : 0;
    return total;
}
