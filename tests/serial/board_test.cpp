#include "display/initialisation.h"
#include "port/port_module.h"
#include "simulated_board.h"
#include "support/core_test.h"
#include "support/run_folder.h"

#include <fstream>

using namespace lumivex;
using Bytes = std::vector<std::uint8_t>;

namespace {

// The sketch on its own: what it answers, the status it gathers, and the waits it keeps.
TEST(Sketch, AnswersGathersItsStatusAndKeepsItsWaits) {
    SimulatedBoard board(FIRMWARE_HEX, SimulatedBoard::Display::on_pins);
    EXPECT_EQ(board.talk({0, 0, 0, 0, 'I'}, 20),
              (Bytes{'i', 'L', 'V', 'X', 1, 0, 0, 0xFF, 3, 6, 7, 8, 9, 5, 4, 3, 2, 12, 10, 11}));
    // An unknown opcode, a refused address, nothing at 0x27, more than the buffer holds.
    EXPECT_EQ(board.talk({'X', 'S', 1}, 3), (Bytes{'s', 1, 2}));
    EXPECT_EQ(board.talk({'W', 0x78, 0, 'S', 2}, 3), (Bytes{'s', 2, 2}));
    EXPECT_EQ(board.talk({'W', 0x27, 0, 'Q', 0x27, 'S', 3}, 6), (Bytes{'q', 1, 0xFF, 's', 3, 1}));
    Bytes flood = {'M', 14, 0};
    flood.resize(1403);
    flood.insert(flood.end(), {'S', 4, 'S', 5});
    EXPECT_EQ(board.talk(flood, 6), (Bytes{'s', 4, 4, 's', 5, 0}));
    // D0 as an output: high, 1000 us, low, 2 ms, high.
    board.talk({'D', 1, 0, 1, 0,   'L', 1, 0,   1, 0, 'U', 0xE8, 3,  'L',
                1,   0, 0, 0, 'M', 2,   0, 'L', 1, 0, 1,   0,    'R'},
               3);
    const std::vector<std::uint64_t> at = board.settle().led_change_us;
    ASSERT_EQ(at.size(), 3u);
    for (const unsigned i : {1u, 2u})
        EXPECT_TRUE(at[i] - at[i - 1] >= 1000 * i && at[i] - at[i - 1] < 1000 * i + 100)
            << at[i] - at[i - 1];
}

// The program's core on the serial port library, on a board that runs the sketch.
class SimulatedBoardTest : public CoreTest {
protected:
    void open_lpt1_on(const SimulatedBoard& board) {
        folder.install_port_library(SERIAL_PORT_LIBRARY);
        std::ofstream(folder.path() / "drv/serial.conf") << "device = " << board.device() << "\n";
        setenv("XDG_CONFIG_HOME", (folder.path() / "config").c_str(), 1);
        port::use_library_loader(port::system_library_loader());
        app::current_base_address = lpt::lpt1_base_address;
        ASSERT_EQ(port::open_port(lpt::lpt1_base_address), port::opened) << notice_texts()[0];
    }
    ~SimulatedBoardTest() override { unsetenv("XDG_CONFIG_HOME"); }

    // Initialises the display, writes "Hello", reads the busy flag and the address counter.
    void expect_hello(SimulatedBoard& board, display::BusWidth width) {
        open_lpt1_on(board);
        display::initialise_display(width);
        for (const char letter : std::string_view("Hello"))
            display::write_cycle(display::write_data, letter);
        EXPECT_EQ(display::read_cycle(display::read_busy_flag_and_address), 5);
        port::close_port(lpt::lpt1_base_address);
        const SimulatedBoard::Report report = board.settle();
        EXPECT_EQ(std::string(report.display.ddram.begin(), report.display.ddram.begin() + 6),
                  "Hello ");
        EXPECT_EQ(report.display.eight_bit_interface, width == display::BusWidth::eight_bit);
        EXPECT_TRUE(report.display.display_on);
        EXPECT_EQ(report.display.timing_violations, 0u);
        EXPECT_EQ(report.bus_conflicts, 0u);
    }

    const RunFolder folder;
};

TEST_F(SimulatedBoardTest, FourAndEightBitBusAndBackpack) {
    SimulatedBoard board(FIRMWARE_HEX, SimulatedBoard::Display::on_pins);
    expect_hello(board, display::BusWidth::four_bit);
    expect_hello(board, display::BusWidth::eight_bit);
    SimulatedBoard backpack(FIRMWARE_BACKPACK_HEX, SimulatedBoard::Display::on_backpack);
    expect_hello(backpack, display::BusWidth::four_bit);
}

TEST_F(SimulatedBoardTest, LedTest) {
    SimulatedBoard board(FIRMWARE_HEX, SimulatedBoard::Display::on_pins);
    open_lpt1_on(board);
    port::run_led_test(lpt::lpt1_base_address);
    port::close_port(lpt::lpt1_base_address);
    const Bytes expected = {0xFF, 0,  0xFF, 0,  0xAA, 0x55, 0xAA, 0x55, 0, 1,   2, 4,
                            8,    16, 32,   64, 128,  64,   32,   16,   8, 4,   2, 0,
                            1,    3,  7,    15, 31,   63,   127,  255,  0, 255, 0};
    EXPECT_EQ(board.settle().led_changes, expected);
}

} // namespace
