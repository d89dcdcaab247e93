#include "drv/sim/hd44780_model.h"

#include <gtest/gtest.h>
#include <initializer_list>

namespace {

constexpr bool instruction = false;
constexpr bool data = true;

// The controller driven on its pins, a microsecond per pin change.
class Hd44780Test : public ::testing::Test {
protected:
    void set(bool rs, bool rw, bool e, std::uint8_t lines) {
        lcd.set_pins({rs, rw, e, lines}, now++);
    }
    // One E pulse, then gap µs; what the controller drove while E was high.
    std::uint8_t pulse(bool rs, bool rw, std::uint8_t lines = 0, int gap = 100) {
        set(rs, rw, false, lines);
        set(rs, rw, true, lines);
        const std::uint8_t driven = lcd.output() & lcd.driven_lines();
        set(rs, rw, false, lines);
        now += static_cast<std::uint64_t>(gap);
        return driven;
    }
    void write4(bool rs, std::uint8_t byte) {
        pulse(rs, false, byte & 0xF0, 0);
        pulse(rs, false, static_cast<std::uint8_t>(byte << 4));
    }
    const lumivex::sim::Hd44780State& state() const { return lcd.state(); }

    lumivex::sim::Hd44780 lcd;
    std::uint64_t now = 0;
};

TEST_F(Hd44780Test, WriteIsLatchedWhenEFallsAndEndsAsTheReadItWas) {
    set(data, false, false, 0x41);
    set(data, false, true, 0x41);
    EXPECT_EQ(state().ddram[0], 0x20);
    set(data, false, true, 0x42); // the data changes while E is high
    set(data, false, false, 0x42);
    EXPECT_EQ(state().ddram[0], 0x42);
    now += 100;
    set(instruction, true, true, 0x01); // clear display on the lines, but a read
    set(instruction, false, false, 0x01);
    EXPECT_EQ(state().ddram[0], 0x42);
    EXPECT_EQ(state().address_counter, 1);
}

// From power-on, 8-bit, 4-bit, and half a byte into a 4-bit transfer.
TEST_F(Hd44780Test, FourBitInitialisationBringsTheNibblesInStepFromAnywhere) {
    for (const auto before : {std::initializer_list<std::uint8_t>{},
                              {0x30, 0x30, 0x30, 0x38},
                              {0x30, 0x30, 0x30, 0x20},
                              {0x30, 0x30, 0x30, 0x20, 0x20}}) {
        lcd = {};
        // Three 8-bit function sets, then the width, each given time for an instruction that
        // a stray nibble may have made of it.
        for (std::uint8_t byte : before)
            pulse(instruction, false, byte, 2000);
        for (std::uint8_t function_set : {0x30, 0x30, 0x30, 0x20})
            pulse(instruction, false, function_set, 2000);
        write4(instruction, 0x28);
        write4(instruction, 0xC3);
        write4(data, 'Q');
        EXPECT_EQ(state().ddram[0x43], 'Q') << before.size();
    }
}

// Only the busy flag may be read while busy; anything else is ignored and
// counted.
TEST_F(Hd44780Test, BusyDeadlinesAndReads) {
    pulse(data, false, 'A');
    pulse(data, false, 'B');
    pulse(instruction, false, 0x81);
    EXPECT_EQ(pulse(data, true), 'B');
    pulse(data, false, 'C', 0);                       // busy for 41 µs
    EXPECT_EQ(pulse(instruction, true), 0x80 | 0x03); // busy flag and address
    pulse(instruction, false, 0x04);                  // decrement
    pulse(instruction, false, 0x82);
    EXPECT_EQ(pulse(data, true), 'C');
    EXPECT_EQ(pulse(data, true), 'B');
    pulse(instruction, false, 0x40 | 0x12); // CGRAM rows keep five dots
    pulse(data, false, 0xF5);
    pulse(instruction, false, 0x40 | 0x12);
    EXPECT_EQ(pulse(data, true), 0x15);
    EXPECT_EQ(state().timing_violations, 0u);

    pulse(instruction, false, 0x01); // clear display: 1.52 ms
    pulse(instruction, false, 0x0C); // 100 µs later
    pulse(data, false, 'B');
    pulse(data, true, 0, 1520);
    EXPECT_FALSE(state().display_on);
    EXPECT_EQ(state().timing_violations, 3u);
    pulse(instruction, false, 0x0C);
    EXPECT_TRUE(state().display_on);
    pulse(instruction, false, 0x0F, 30); // 37 µs
    pulse(instruction, false, 0x08);
    EXPECT_EQ(state().instruction_register, 0x0F);
    EXPECT_EQ(state().timing_violations, 4u);
}

// Instructions and data (0x100 | byte) from power-on, each given time: then the display shift,
// the address counter, and whether the 5x10 font took effect (only with one line).
TEST_F(Hd44780Test, AddressCounterFollowsTheLinesAndTheDisplayShiftMovesThem) {
    const struct {
        std::initializer_list<int> steps;
        int shift, address;
        bool tall = false;
    } cases[] = {
        {{0xCF, 0x12A}, 0, 0x00},                          // one line of 80
        {{0x34, 0xA7, 0x12A}, 0, 0x28, true},              // in the 5x10 font
        {{0x3C, 0xA7, 0x12A}, 0, 0x40},                    // two lines of 40; no 5x10 font
        {{0x38, 0xE7, 0x12A}, 0, 0x00},                    // from the second to the first
        {{0x38, 0x04, 0xC0, 0x12A}, 0, 0x27},              // decrementing, to line one
        {{0x38, 0x04, 0x80, 0x12A}, 0, 0x67},              // and to the end of line two
        {{0x04, 0x80, 0x12A}, 0, 0x4F},                    // on one line
        {{0x38, 0xA7, 0x14}, 0, 0x40},                     // cursor right
        {{0x7F, 0x101}, 0, 0x00},                          // CGRAM: 64 rows
        {{0x38, 0x18, 0x18, 0x1C}, 1, 0x00},               // display left twice, right once
        {{0x38, 0x1C}, 39, 0x00},                          // right from 0: two lines of 40
        {{0x1C}, 79, 0x00},                                // one line of 80
        {{0x38, 0x18, 0xC5, 0x02}, 0, 0x00},               // return home undoes it
        {{0x07, 0x161, 0x162}, 2, 0x02},                   // entry shift, on each DDRAM write
        {{0x07, 0x40, 0x11F}, 0, 0x01},                    // and not on CGRAM writes
        {{0x05, 0x85, 0x163}, 79, 0x04},                   // decrementing: the display moves right
        {{0x05, 0x18, 0x141, 0x141, 0x01, 0x142}, 1, 0x01} // clear: shift 0, increment
    };
    for (const auto& c : cases) {
        lcd = {};
        for (int step : c.steps)
            pulse(step > 0xFF, false, static_cast<std::uint8_t>(step), 1600);
        EXPECT_TRUE(state().display_shift == c.shift && state().address_counter == c.address &&
                    state().font_5x10 == c.tall)
            << (&c - cases);
    }
    EXPECT_EQ(state().ddram[0x4F], 0x20); // an 'A' cleared
}

} // namespace
