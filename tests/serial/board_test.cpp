#include "display/initialisation.h"
#include "port/port_module.h"
#include "simulated_board.h"
#include "support/core_test.h"
#include "support/run_folder.h"

#include <fstream>

using namespace lumivex;

namespace {

// The program's core on the serial port library, on a board that runs the sketch's .hex.
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

    // Initialises the display, writes "Hello" and reads the busy flag and the address.
    void hello(display::BusWidth width) {
        display::initialise_display(width);
        for (const char letter : std::string_view("Hello"))
            display::write_cycle(display::write_data, letter);
        EXPECT_EQ(display::read_cycle(display::read_busy_flag_and_address), 5);
        port::close_port(lpt::lpt1_base_address);
    }

    static void expect_hello(const SimulatedBoard::Report& report, bool eight_bit) {
        EXPECT_EQ(std::string(report.display.ddram.begin(), report.display.ddram.begin() + 6),
                  "Hello ");
        EXPECT_EQ(report.display.eight_bit_interface, eight_bit);
        EXPECT_TRUE(report.display.display_on);
        EXPECT_EQ(report.display.timing_violations, 0u);
        EXPECT_EQ(report.bus_conflicts, 0u);
    }

    const RunFolder folder;
};

TEST_F(SimulatedBoardTest, FourBitAndEightBitInitialisationWriteAndRead) {
    SimulatedBoard board(FIRMWARE_HEX, SimulatedBoard::Display::on_pins);
    open_lpt1_on(board);
    hello(display::BusWidth::four_bit);
    expect_hello(board.settle(), false);

    open_lpt1_on(board);
    hello(display::BusWidth::eight_bit);
    expect_hello(board.settle(), true);
}

TEST_F(SimulatedBoardTest, LedTest) {
    SimulatedBoard board(FIRMWARE_HEX, SimulatedBoard::Display::on_pins);
    open_lpt1_on(board);
    port::run_led_test(lpt::lpt1_base_address);
    port::close_port(lpt::lpt1_base_address);
    std::vector<std::uint8_t> expected = {0xFF, 0, 0xFF, 0, 0xAA, 0x55, 0xAA, 0x55, 0};
    for (int k = 0; k < 8; ++k)
        expected.push_back(std::uint8_t(1 << k));
    for (int k = 6; k >= 0; --k)
        expected.push_back(std::uint8_t(1 << k >> (k == 0))); // 0x40 .. 0x02, then 0x00
    for (int k = 0; k < 8; ++k)
        expected.push_back(std::uint8_t((2 << k) - 1));
    expected.insert(expected.end(), {0, 0xFF, 0});
    EXPECT_EQ(board.settle().led_changes, expected);
}

} // namespace
