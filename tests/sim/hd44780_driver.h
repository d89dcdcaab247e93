#pragma once

#include "drv/sim/hd44780_model.h"

#include <cstdint>

// Drives an HD44780's pins directly, a microsecond per pin change, and leaves 100 µs after
// every transfer so that a 37 µs instruction has finished before the next one.
class Hd44780Driver {
public:
    void pulse(bool rs, bool rw, std::uint8_t data) {
        set({rs, rw, false, data});
        set({rs, rw, true, data});
        set({rs, rw, false, data});
    }
    void write8(bool rs, std::uint8_t byte) {
        pulse(rs, false, byte);
        wait(100);
    }
    void write4(bool rs, std::uint8_t byte) {
        pulse(rs, false, byte & 0xF0);
        pulse(rs, false, static_cast<std::uint8_t>(byte << 4));
        wait(100);
    }
    // What the controller drives while E is high.
    std::uint8_t read_pulse(bool rs) {
        set({rs, true, false, 0});
        set({rs, true, true, 0});
        const std::uint8_t value = lcd.output() & lcd.driven_lines();
        set({rs, true, false, 0});
        return value;
    }
    std::uint8_t read8(bool rs) {
        const std::uint8_t value = read_pulse(rs);
        wait(100);
        return value;
    }
    // Initialisation by instruction: three 8-bit function sets, then the interface width, with
    // time enough after each for an instruction that a stray nibble may have made of it.
    void initialise4() {
        for (std::uint8_t function_set : {0x30, 0x30, 0x30, 0x20}) {
            write8(false, function_set);
            wait(2000);
        }
        write4(false, 0x28);
    }
    void set(const lumivex::sim::BusPins& pins) {
        lcd.set_pins(pins, now);
        ++now;
    }
    void wait(std::uint64_t us) { now += us; }

    lumivex::sim::Hd44780 lcd;
    std::uint64_t now = 0;
    const lumivex::sim::Hd44780State& state() const { return lcd.state(); }
};
