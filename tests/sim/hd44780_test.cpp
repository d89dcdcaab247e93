#include "sim/hd44780_driver.h"

#include <gtest/gtest.h>

using lumivex::sim::Hd44780State;

namespace {

constexpr bool instruction = false;
constexpr bool data = true;

class Hd44780Test : public ::testing::Test, protected Hd44780Driver {};

TEST_F(Hd44780Test, PowerOnResetState) {
    const Hd44780State& s = state();
    EXPECT_TRUE(s.eight_bit_interface);
    EXPECT_FALSE(s.two_lines);
    EXPECT_FALSE(s.display_on || s.cursor_on || s.blink_on);
    EXPECT_TRUE(s.increment);
    EXPECT_FALSE(s.shift_on_write);
    EXPECT_EQ(s.address_counter, 0);
    EXPECT_EQ(s.display_shift, 0);
    for (std::uint8_t c : s.ddram)
        ASSERT_EQ(c, 0x20);
}

TEST_F(Hd44780Test, WriteIsLatchedWhenEFalls) {
    set({data, false, false, 0x41});
    set({data, false, true, 0x41});
    EXPECT_EQ(state().ddram[0], 0x20);
    set({data, false, true, 0x42}); // the data changes while E is high
    set({data, false, false, 0x42});
    EXPECT_EQ(state().ddram[0], 0x42);
    EXPECT_EQ(state().address_counter, 1);
}

TEST_F(Hd44780Test, EFallingTogetherWithRwEndsTheReadNotAWrite) {
    write8(data, 'A');
    write8(instruction, 0x80);
    set({instruction, true, true, 0x01}); // clear display on the lines, but a read
    set({instruction, false, false, 0x01});
    EXPECT_EQ(state().ddram[0], 'A');
    EXPECT_EQ(state().instruction_register, 0x80);
}

TEST_F(Hd44780Test, EightBitInitialisation) {
    for (std::uint8_t i : {0x30, 0x30, 0x30, 0x38, 0x08, 0x01})
        write8(instruction, i);
    wait(1520);
    for (std::uint8_t i : {0x06, 0x0F})
        write8(instruction, i);
    write8(data, 'x');
    const Hd44780State& s = state();
    EXPECT_TRUE(s.eight_bit_interface && s.two_lines && s.display_on && s.cursor_on && s.blink_on);
    EXPECT_EQ(s.ddram[0], 'x');
    EXPECT_EQ(s.timing_violations, 0u);
}

TEST_F(Hd44780Test, FourBitInitialisationThenNibblesHighFirst) {
    initialise4();
    EXPECT_FALSE(state().eight_bit_interface);
    EXPECT_TRUE(state().two_lines);
    write4(data, 0x41);
    EXPECT_EQ(state().ddram[0], 0x41);
    EXPECT_FALSE(state().low_nibble_next);
}

TEST_F(Hd44780Test, FourBitReinitialisationEndsInSync) {
    struct Start {
        const char* name;
        void (*prepare)(Hd44780Driver&);
    };
    const Start starts[] = {
        {"after a 4-bit initialisation", [](Hd44780Driver& d) { d.initialise4(); }},
        {"half a byte into a transfer",
         [](Hd44780Driver& d) {
             d.initialise4();
             d.pulse(instruction, false, 0x00);
         }},
        {"after an 8-bit initialisation",
         [](Hd44780Driver& d) {
             for (std::uint8_t i : {0x30, 0x30, 0x30, 0x38})
                 d.write8(instruction, i);
         }},
    };
    for (const Start& start : starts) {
        SCOPED_TRACE(start.name);
        Hd44780Driver d;
        start.prepare(d);
        d.wait(2000);
        d.initialise4();
        d.write4(instruction, 0xC3);
        d.write4(data, 'Q');
        EXPECT_FALSE(d.state().eight_bit_interface);
        EXPECT_EQ(d.state().ddram[0x43], 'Q');
        EXPECT_EQ(d.state().address_counter, 0x44);
    }
}

TEST_F(Hd44780Test, TransfersWhileBusyAreIgnoredAndCounted) {
    write8(data, 'A');
    write8(instruction, 0x01); // clear display: 1.52 ms
    write8(instruction, 0x0C); // 100 µs later
    pulse(data, false, 'B');   // busy too
    read_pulse(data);          // a data read as well
    EXPECT_FALSE(state().display_on);
    EXPECT_EQ(state().timing_violations, 3u);
    wait(1520);
    write8(instruction, 0x0C);
    EXPECT_TRUE(state().display_on);

    pulse(instruction, false, 0x0F); // 37 µs
    wait(30);
    pulse(instruction, false, 0x08);
    EXPECT_EQ(state().instruction_register, 0x0F);
    EXPECT_EQ(state().timing_violations, 4u);
}

TEST_F(Hd44780Test, BusyFlagAndAddressReadBack) {
    write8(instruction, 0xC5);
    EXPECT_EQ(read8(instruction), 0x45);
    pulse(data, false, 'A'); // busy for 41 µs
    EXPECT_EQ(read_pulse(instruction), 0x80 | 0x46);
    wait(100);
    EXPECT_EQ(read8(instruction), 0x46);
}

TEST_F(Hd44780Test, FourBitReadsHighNibbleFirstOnD7ToD4) {
    initialise4();
    write4(instruction, 0x80 | 0x1E);
    EXPECT_EQ(read_pulse(instruction), 0x10);
    EXPECT_EQ(lcd.driven_lines(), 0x00); // released when E fell
    EXPECT_EQ(read_pulse(instruction), 0xE0);
    EXPECT_FALSE(state().low_nibble_next);
}

TEST_F(Hd44780Test, DataReadsFollowTheEntryMode) {
    for (char c : {'A', 'B', 'C'})
        write8(data, static_cast<std::uint8_t>(c));
    write8(instruction, 0x81);
    EXPECT_EQ(read8(data), 'B');
    EXPECT_EQ(read8(data), 'C');
    EXPECT_EQ(state().address_counter, 3);
    write8(instruction, 0x04); // decrement
    write8(instruction, 0x81);
    EXPECT_EQ(read8(data), 'B');
    EXPECT_EQ(read8(data), 'A');
    EXPECT_EQ(state().address_counter, 0x4F); // one line: 0x00 back to 0x4F
}

TEST_F(Hd44780Test, AddressCounterFollowsTheLineMap) {
    struct Step {
        std::uint8_t function_set, entry_mode, address, after;
    };
    const Step steps[] = {
        {0x30, 0x06, 0x4F, 0x00}, {0x30, 0x06, 0x27, 0x28}, {0x38, 0x06, 0x27, 0x40},
        {0x38, 0x06, 0x67, 0x00}, {0x38, 0x04, 0x40, 0x27}, {0x38, 0x04, 0x00, 0x67},
    };
    for (const Step& step : steps) {
        write8(instruction, step.function_set);
        write8(instruction, step.entry_mode);
        write8(instruction, 0x80 | step.address);
        write8(data, '*');
        EXPECT_EQ(state().ddram[step.address], '*');
        EXPECT_EQ(state().address_counter, step.after) << std::hex << int{step.address};
    }
}

TEST_F(Hd44780Test, CursorShiftMovesTheAddressDisplayShiftMovesAllLines) {
    write8(instruction, 0x38);
    write8(instruction, 0xA7); // 0x27, end of the first line
    write8(instruction, 0x14); // cursor right
    EXPECT_EQ(state().address_counter, 0x40);
    EXPECT_EQ(state().display_shift, 0);
    write8(instruction, 0x18); // display left
    write8(instruction, 0x18);
    EXPECT_EQ(state().display_shift, 2);
    write8(instruction, 0x1C); // display right
    EXPECT_EQ(state().display_shift, 1);
    for (int i = 0; i < 2; ++i)
        write8(instruction, 0x1C);
    EXPECT_EQ(state().display_shift, 39); // within a 40-character line
    EXPECT_EQ(state().address_counter, 0x40);
    write8(instruction, 0x02); // return home undoes the shift
    wait(1520);
    EXPECT_EQ(state().display_shift, 0);
    EXPECT_EQ(state().address_counter, 0);
}

TEST_F(Hd44780Test, EntryModeShiftMovesTheDisplayOnDdramWritesOnly) {
    write8(instruction, 0x07); // increment and shift
    write8(data, 'a');
    write8(data, 'b');
    EXPECT_EQ(state().display_shift, 2);
    write8(instruction, 0x40);
    write8(data, 0x1F);
    EXPECT_EQ(state().display_shift, 2);
    write8(instruction, 0x05); // decrement and shift: the display moves right
    write8(instruction, 0x85);
    write8(data, 'c');
    EXPECT_EQ(state().display_shift, 1);
}

TEST_F(Hd44780Test, CgramTakesGlyphRowsAndWraps) {
    write8(instruction, 0x40 | 0x10);
    for (std::uint8_t row : {0x0E, 0x1F, 0x15, 0xFF})
        write8(data, row);
    EXPECT_EQ(state().cgram[0x10], 0x0E);
    EXPECT_EQ(state().cgram[0x12], 0x15);
    EXPECT_EQ(state().cgram[0x13], 0x1F); // five dots a row
    EXPECT_EQ(state().ddram[0x10], 0x20);
    write8(instruction, 0x40 | 0x3F);
    write8(data, 0x01);
    EXPECT_EQ(state().address_counter, 0x00);
    write8(instruction, 0x40 | 0x12);
    EXPECT_EQ(read8(data), 0x15);
}

TEST_F(Hd44780Test, ClearDisplayBlanksAndResetsEntryMode) {
    write8(instruction, 0x05);
    write8(instruction, 0x18);
    write8(data, 'A');
    write8(instruction, 0x01);
    wait(1520);
    EXPECT_EQ(state().ddram[0], 0x20);
    EXPECT_EQ(state().address_counter, 0);
    EXPECT_EQ(state().display_shift, 0);
    EXPECT_TRUE(state().increment);
    EXPECT_TRUE(state().shift_on_write);
}

} // namespace
