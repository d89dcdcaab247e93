#include "app/shared_state.h"
#include "display/bus_cycles.h"
#include "display/initialisation.h"
#include "drv/i2c/backpack_port.h"
#include "port/lpt_wiring.h"
#include "port/port_module.h"
#include "support/captured_stderr.h"
#include "support/core_test.h"
#include "support/mapping_loader.h"
#include "support/run_folder.h"

#include <cerrno>
#include <cstdio>
#include <deque>
#include <fstream>
#include <functional>
#include <map>

using namespace lumivex;

namespace {

using Calls = std::vector<std::string>;

std::string hex(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, "%02X", value);
    return text;
}

// The bus side as a script: records every transfer, answers reads with the expander's pins in
// turn, and fails what it is told to.
class FakeI2cDevice final : public i2c::I2cDevice {
public:
    static constexpr int bus = 5;

    Calls calls;
    std::map<std::string, int> open_errors; // by path
    int address_error = 0;
    int transfer_error = 0;             // every receive and send fails with it
    std::deque<std::uint8_t> pin_reads; // what each receive finds on P7..P0

    int open(const std::string& path) override {
        calls.push_back("open " + path);
        const auto error = open_errors.find(path);
        return error == open_errors.end() ? bus : -error->second;
    }
    int set_address(int descriptor, unsigned address) override {
        calls.push_back(checked(descriptor) + "address " + hex(address));
        return address_error;
    }
    int send_byte(int descriptor, std::uint8_t value) override {
        calls.push_back(checked(descriptor) + "send " + hex(value));
        return transfer_error;
    }
    int receive_byte(int descriptor, std::uint8_t& value) override {
        calls.push_back(checked(descriptor) + "receive");
        if (!pin_reads.empty()) {
            value = pin_reads.front();
            pin_reads.pop_front();
        }
        return transfer_error;
    }
    void close(int descriptor) override { calls.push_back(checked(descriptor) + "close"); }

private:
    static std::string checked(int descriptor) {
        return descriptor == bus ? "" : "wrong descriptor: ";
    }
};

// The common backpack: the probe, then everything low but the backlight (P3).
const Calls default_open{"open /dev/i2c-1", "address 27", "receive", "send 08"};

i2c::Backpacks common_backpack() {
    return {};
}

class BackpackMapping : public ::testing::Test {
protected:
    FakeI2cDevice device;
    i2c::BackpackPort port{device};
};

TEST_F(BackpackMapping, EveryFailureSaysWhy) {
    struct Case {
        const char* device_name;
        std::function<void(FakeI2cDevice&)> bus;
        const char* line;
    };
    const Case cases[] = {
        {"COM1:", {}, "lumivex i2c: COM1:: unknown device name (LPT1: or LPT2:)"},
        {"LPT2:",
         {},
         "lumivex i2c: LPT2:: no second backpack; give one under [LPT2] in drv/i2c.conf"},
        {"LPT1:", [](auto& bus) { bus.open_errors["/dev/i2c-1"] = ENOENT; },
         "lumivex i2c: /dev/i2c-1: no such bus (i2cdetect -l lists the buses there are, once "
         "the module i2c-dev is loaded)"},
        {"LPT1:", [](auto& bus) { bus.open_errors["/dev/i2c-1"] = EACCES; },
         "lumivex i2c: /dev/i2c-1: permission denied; add your user to the group i2c (usermod "
         "-aG i2c $USER) and log in again"},
        {"LPT1:", [](auto& bus) { bus.address_error = EBUSY; },
         "lumivex i2c: /dev/i2c-1: address 0x27 is held by a kernel driver"},
        {"LPT1:", [](auto& bus) { bus.address_error = ENOTTY; },
         "lumivex i2c: /dev/i2c-1: not an I2C bus"},
        {"LPT1:", [](auto& bus) { bus.transfer_error = ENXIO; },
         "lumivex i2c: /dev/i2c-1: no device answers at address 0x27 (i2cdetect -y 1 lists the "
         "addresses that do)"},
    };
    for (const Case& failure : cases) {
        FakeI2cDevice bus;
        if (failure.bus)
            failure.bus(bus);
        i2c::BackpackPort refused(bus);
        EXPECT_FALSE(refused.open(failure.device_name, common_backpack()));
        EXPECT_EQ(refused.error(), failure.line);
        if (bus.calls.size() > 1) { // the bus was opened: nothing is left open
            EXPECT_EQ(bus.calls.back(), "close") << failure.line;
        }
        bus.calls.clear();
        refused.close();
        EXPECT_TRUE(bus.calls.empty()) << failure.line;
    }
}

TEST_F(BackpackMapping, ADeviceThatStopsAnsweringIsToldOnceAndLeftAlone) {
    ASSERT_TRUE(port.open("LPT1:", common_backpack()));
    EXPECT_EQ(device.calls, default_open);
    device.calls.clear();
    device.transfer_error = EREMOTEIO;
    const std::string output = captured_stderr([&] {
        port.write(0x378, 0xF0);
        port.write(0x378, 0x00);
        port.write(0x37A, 0x0A); // R/W high: reads would need the bus
        EXPECT_EQ(port.read(0x379), 0xFF);
        EXPECT_EQ(port.read(0x378), 0xFF);
    });
    EXPECT_EQ(output, "lumivex i2c: /dev/i2c-1: the device at 0x27 stopped answering (Remote I/O "
                      "error); nothing reaches it until the port is opened again\n");
    EXPECT_EQ(device.calls, Calls{"send F8"});
    // Opened again, it is asked anew.
    device.transfer_error = 0;
    device.calls.clear();
    ASSERT_TRUE(port.open("LPT1:", common_backpack())); // closes the bus first
    port.write(0x378, 0x10);
    port.close();
    Calls expected{"close"};
    expected.insert(expected.end(), default_open.begin(), default_open.end());
    expected.insert(expected.end(), {"send 18", "close"});
    EXPECT_EQ(device.calls, expected);
}

TEST(BackpackConfiguration, SectionsChangeTheCommonBackpackWhereTheyNameIt) {
    std::string error;
    const auto backpacks = i2c::parse_backpacks("# a PCF8574A with another map\n"
                                                "Bus = 3\n"
                                                "address = 0x3F \n"
                                                "\n"
                                                "rs=P6\nrw=5\ne=4\nbacklight=7\n"
                                                "d4=0\nd5=1\nd6=2\nd7=3\n"
                                                "light = off\n"
                                                "[ lpt2 ]\n"
                                                "bus = i2c-usb\n",
                                                error);
    ASSERT_TRUE(backpacks) << error;
    const i2c::Backpack lpt1{"/dev/i2c-3", 0x3F, 6, 5, 4, 7, {0, 1, 2, 3}, false};
    EXPECT_EQ(backpacks->lpt1, lpt1);
    i2c::Backpack lpt2;
    lpt2.bus = "/dev/i2c-usb";
    EXPECT_EQ(backpacks->lpt2, lpt2);
    // The file shipped for editing writes out the backpack used without one.
    std::ifstream shipped(I2C_CONF);
    const auto written_out =
        i2c::parse_backpacks(std::string((std::istreambuf_iterator<char>(shipped)), {}), error);
    ASSERT_TRUE(written_out) << error;
    EXPECT_EQ(written_out->lpt1, i2c::Backpack());
    EXPECT_FALSE(written_out->lpt2);
}

TEST(BackpackConfiguration, FaultsSayWhereAndWhat) {
    const std::pair<const char*, const char*> cases[] = {
        {"bus /dev/i2c-1", "line 1: expected key = value, not bus /dev/i2c-1"},
        {"# LPT3\n[LPT3]", "line 2: expected [LPT1] or [LPT2], not [LPT3]"},
        {"colour = blue",
         "line 1: unknown key colour (bus, address, rs, rw, e, backlight, d4..d7, light)"},
        {"bus =", "line 1: bus = needs a bus, such as /dev/i2c-1 or 1"},
        {"address = 0x78", "line 1: address = 0x78 is not a device address (0x03 to 0x77)"},
        {"address = 39h", "line 1: address = 39h is not a device address (0x03 to 0x77)"},
        {"rs = 8", "line 1: rs = 8 is not a pin (0..7)"},
        {"light = dim", "line 1: light = dim is neither on nor off"},
        {"[LPT2]\nrs = 4", "[LPT2] P4 is both rs and d4"},
    };
    for (const auto& [text, expected] : cases) {
        std::string error;
        EXPECT_FALSE(i2c::parse_backpacks(text, error)) << text;
        EXPECT_EQ(error, expected);
    }
}

// What the common backpack must be sent for a trace of register writes at LPT1: every write that
// changes the expander's pins sends them, in one byte. P0 RS, P1 R/W, P2 E, P3 the backlight,
// P4..P7 D4..D7, which are high while R/W is high or CR bit 5 is set. Reads of SR while they are
// high receive a byte; other reads cost nothing.
Calls expected_transfers(const Trace& trace) {
    unsigned control = 0x0B;
    unsigned data = 0;
    const auto released = [&] { return (control & 0x01) == 0 || (control & 0x20) != 0; };
    const auto pins = [&] {
        return (~control >> 1 & 1) | (~control & 1) << 1 | (control & 0x04) | 0x08 |
               (released() ? 0xF0 : data & 0xF0);
    };
    Calls calls;
    for (const std::string& line : trace) {
        unsigned address = 0;
        unsigned value = 0;
        if (std::sscanf(line.c_str(), "INPORT %X", &address) == 1 && address != 0x37A && released())
            calls.push_back("receive");
        if (std::sscanf(line.c_str(), "OUTPORT %X %X", &address, &value) != 2)
            continue;
        const unsigned before = pins();
        (address == 0x378 ? data : control) = value;
        if (pins() != before)
            calls.push_back("send " + hex(pins()));
    }
    return calls;
}

// The program's core on the backpack mapping over the fake bus.
class BackpackCore : public CoreTest {
protected:
    struct CommonBackpack {
        i2c::BackpackPort& port;
        bool open(const char* name) { return port.open(name, common_backpack()); }
        void close() { port.close(); }
        int read(int address) { return port.read(address); }
        void write(int address, int value) { port.write(address, value); }
    };

    FakeI2cDevice device;
    i2c::BackpackPort backpack_port{device};
    CommonBackpack mapping{backpack_port};
    MappingLoader<CommonBackpack> loader{mapping};

    void open_on_backpack() {
        app::current_base_address = lpt::lpt1_base_address;
        port::use_library_loader(loader);
        ASSERT_EQ(port::open_port(lpt::lpt1_base_address), port::opened);
        device.calls.clear();
    }

    // Runs the sequence on the recording fake, then on the backpack mapping.
    template <typename Sequence> void expect_transfers_as_registers(Sequence sequence) {
        open_lpt1();
        sequence();
        const Calls expected = expected_transfers(trace);
        port::close_port(lpt::lpt1_base_address);
        open_on_backpack();
        sequence();
        EXPECT_EQ(device.calls, expected);
        port::close_port(lpt::lpt1_base_address);
        port::use_library_loader(port);
    }
};

TEST_F(BackpackCore, LedTestSendsTheHighNibbleOfDr) {
    expect_transfers_as_registers([] { port::run_led_test(lpt::lpt1_base_address); });
}

TEST_F(BackpackCore, FourBitInitialisationSendsTheRegistersLevels) {
    expect_transfers_as_registers([] { display::initialise_display(display::BusWidth::four_bit); });
}

TEST_F(BackpackCore, FourBitReadSetsTheDataPinsHighWhileRwIsHigh) {
    open_on_backpack();
    device.pin_reads = {0x8E, 0x5E}; // busy, address 000 0101 on P7..P4
    display::bus_width = display::BusWidth::four_bit;
    EXPECT_EQ(display::read_cycle(display::read_busy_flag_and_address), 0x85);
    EXPECT_EQ(device.calls, (Calls{"send FA", "send FE", "receive", // R/W high, then E
                                   "send FA", "send 08",            // E falls first, then R/W
                                   "send FA", "send FE", "receive", // E rises last
                                   "send FA", "send 08"}));
    port::close_port(lpt::lpt1_base_address);
    port::use_library_loader(port);
}

// The real library, loaded by the program, with drv/i2c.conf beside it.
using BackpackLibrary = CoreTest;

TEST_F(BackpackLibrary, FailuresGiveTheProgramsNoticeAndOneLine) {
    const RunFolder folder;
    folder.install_port_library(I2C_PORT_LIBRARY);
    port::use_library_loader(port::system_library_loader());
    const std::string config = (folder.path() / "drv" / "i2c.conf").string();
    const std::pair<const char*, std::string> cases[] = {
        {"bus = /nonexistent/i2c-9\n",
         "lumivex i2c: /nonexistent/i2c-9: no such bus (i2cdetect -l lists the buses there are, "
         "once the module i2c-dev is loaded)\n"},
        {"# backpack\nADDRESS = 0x27 0x3F\n",
         "lumivex i2c: " + config +
             ": line 2: address = 0x27 0x3F is not a device address (0x03 to 0x77)\n"},
    };
    for (const auto& [text, line] : cases) {
        std::ofstream(config) << text;
        notices.shown.clear();
        int status = 0;
        const std::string output =
            captured_stderr([&] { status = port::open_port(lpt::lpt1_base_address); });
        EXPECT_EQ(status, port::device_not_opened);
        EXPECT_EQ(notice_texts(), std::vector<std::string>{"Err3 - Can't open LPT1!"});
        EXPECT_EQ(output, line);
    }
}

} // namespace
