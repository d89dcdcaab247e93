#include "lines.h"

#include "wiring.h"

#include <Arduino.h>

namespace {

// The registers of one I/O port that holds wired lines.
struct Port {
    volatile uint8_t* out;
    volatile uint8_t* mode;
    volatile uint8_t* in;
};

struct Line {
    uint8_t port; // index into ports
    uint8_t mask;
};

Port ports[LUMIVEX_LINE_COUNT];
uint8_t port_count;
Line lines[LUMIVEX_LINE_COUNT];
uint16_t wired;
uint16_t levels;
uint16_t outputs;

const uint16_t e_line = 1u << LUMIVEX_LINE_E;

uint8_t port_index(uint8_t port) {
    volatile uint8_t* out = portOutputRegister(port);
    for (uint8_t p = 0; p < port_count; ++p)
        if (ports[p].out == out)
            return p;
    ports[port_count] = {out, portModeRegister(port), portInputRegister(port)};
    return port_count++;
}

// Lines on one port change together, in one register write, and the ports one right after the
// other. (A moving bit rather than 1 << i: the AVR shifts one place per instruction.)
void update(volatile uint8_t* Port::*reg, uint16_t set, uint16_t clear) {
    if (!(set | clear))
        return;
    uint8_t high[LUMIVEX_LINE_COUNT] = {};
    uint8_t low[LUMIVEX_LINE_COUNT] = {};
    uint16_t bit = 1;
    for (const Line& line : lines) {
        if (set & bit)
            high[line.port] |= line.mask;
        else if (clear & bit)
            low[line.port] |= line.mask;
        bit <<= 1;
    }
    for (uint8_t p = 0; p < port_count; ++p) {
        volatile uint8_t* r = ports[p].*reg;
        *r = (*r & ~low[p]) | high[p];
    }
}

void drive(uint16_t which) {
    update(&Port::out, which & levels, which & ~levels);
}

} // namespace

void lines_begin() {
    for (uint8_t i = 0; i < LUMIVEX_LINE_COUNT; ++i) {
        const uint8_t pin = line_pins[i];
        if (pin == LUMIVEX_UNWIRED)
            continue;
        lines[i] = {port_index(digitalPinToPort(pin)), digitalPinToBitMask(pin)};
        wired |= 1u << i;
    }
    update(&Port::mode, 0, wired);
    update(&Port::out, 0, wired);
}

void lines_set_levels(uint16_t mask, uint16_t new_levels) {
    mask &= wired;
    levels = (levels & ~mask) | (new_levels & mask);
    const uint16_t driven = mask & outputs;
    const uint16_t e = driven & e_line;
    if (levels & e) {
        drive(driven & ~e);
        drive(e);
    } else {
        drive(e);
        drive(driven & ~e);
    }
}

void lines_set_directions(uint16_t mask, uint16_t new_outputs) {
    mask &= wired;
    const uint16_t to_outputs = mask & new_outputs, to_inputs = mask & ~new_outputs;
    drive(to_outputs);
    // Inputs before their levels are cleared: clearing first would drive them low for an
    // instant.
    update(&Port::mode, to_outputs, to_inputs);
    update(&Port::out, 0, to_inputs);
    outputs = (outputs & ~mask) | to_outputs;
}

uint16_t lines_read() {
    uint8_t pins[LUMIVEX_LINE_COUNT];
    for (uint8_t p = 0; p < port_count; ++p)
        pins[p] = *ports[p].in;
    uint16_t result = 0;
    uint16_t bit = 1;
    for (const Line& line : lines) {
        if ((wired & bit) && (pins[line.port] & line.mask))
            result |= bit;
        bit <<= 1;
    }
    return result;
}
