#include "display/bus_cycles.h"
#include "drv/i2c/backpack_port.h"
#include "support/port_mapping_test.h"

#include <algorithm>
#include <cerrno>
#include <deque>
#include <map>

using namespace lumivex;

namespace {

using Calls = std::vector<std::string>;

std::string hex(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, "%02X", value);
    return text;
}

// The bus side with a PCF8574 on it: records every transfer, fails what it is told to. Its pins
// are quasi-bidirectional: one sent low reads low, one sent high reads what drives it, here the
// display on P7..P4 (`display`, one nibble each receive; nothing driven reads high).
class FakeI2cDevice final : public i2c::I2cDevice {
public:
    Calls calls;
    std::map<std::string, int> errors; // by the call's first word
    std::deque<std::uint8_t> display;  // what the display drives on D7..D4 at each receive
    std::uint8_t pins = 0xFF;          // as last sent; high at power-on

    int open(const std::string& path) override { return -record(0, "open " + path); } // bus 0
    int set_address(int bus, unsigned address) override {
        return record(bus, "address " + hex(address));
    }
    int send_byte(int bus, std::uint8_t value) override {
        const int error = record(bus, "send " + hex(value));
        pins = error == 0 ? value : pins;
        return error;
    }
    int receive_byte(int bus, std::uint8_t& value) override {
        value = pins & (display.empty() ? 0xFF : display.front() << 4 | 0x0F);
        if (!display.empty())
            display.pop_front();
        return record(bus, "receive");
    }
    void close(int bus) override { record(bus, "close"); }
    int record(int bus, const std::string& call) {
        calls.push_back(bus == 0 ? call : "wrong bus: " + call);
        return errors[call.substr(0, call.find(' '))];
    }
};

using BackpackMapping = PortMappingTest<FakeI2cDevice, i2c::BackpackPort>;

TEST_F(BackpackMapping, EveryFailureSaysWhyAndLeavesNothingOpen) {
    const std::tuple<const char*, const char*, const char*, int> cases[] = {
        {"LPT2:: no second backpack; give one under [LPT2] in /home/me/i2c.conf", "LPT2:", "", 0},
        {"/dev/i2c-1: no such bus (i2cdetect -l lists the buses there are, once the module "
         "i2c-dev is loaded)",
         "LPT1:", "open", ENOENT},
        {"/dev/i2c-1: permission denied; add your user to the group i2c (usermod -aG i2c $USER) "
         "and log in again",
         "LPT1:", "open", EACCES},
        {"/dev/i2c-1: address 0x27 is held by a kernel driver", "LPT1:", "address", EBUSY},
        {"/dev/i2c-1: not an I2C bus", "LPT1:", "address", ENOTTY},
        {"/dev/i2c-1: no device answers at address 0x27 (i2cdetect -y 1 lists the addresses that "
         "do)",
         "LPT1:", "receive", ENXIO},
    };
    for (const auto& [error, name, failing, number] : cases) {
        device.errors = {{failing, number}};
        EXPECT_FALSE(mapping.open(name, {{}, {}, {"/home/me/i2c.conf", ""}}));
        EXPECT_EQ(mapping.error(), std::string("lumivex i2c: ") + error);
    }
    mapping.close();
    EXPECT_EQ(std::count(device.calls.begin(), device.calls.end(), "close"), 3);
}

TEST_F(BackpackMapping, ADeviceThatStopsAnsweringIsToldOnceAndLeftAlone) {
    ASSERT_TRUE(mapping.open("LPT1:", {}));
    device.errors["send"] = EREMOTEIO;
    testing::internal::CaptureStderr();
    mapping.write(0x378, 0xF0);
    mapping.write(0x378, 0x00);
    mapping.write(0x37A, 0x0A); // R/W high: reads would need the bus
    EXPECT_EQ(replay({inport(0x379), inport(0x378)}, mapping), (std::vector{0xFF, 0xFF}));
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "lumivex i2c: /dev/i2c-1: the device at 0x27 stopped answering (Remote I/O error); "
              "nothing reaches it until the port is opened again\n");
    device.errors.clear();
    ASSERT_TRUE(mapping.open("LPT1:", {})); // closes the bus first, then asks anew
    mapping.write(0x378, 0x10);             // the probe, then everything low but the backlight (P3)
    mapping.close();
    EXPECT_EQ(device.calls,
              (Calls{"open /dev/i2c-1", "address 27", "receive", "send 08", "send F8", "close",
                     "open /dev/i2c-1", "address 27", "receive", "send 08", "send 18", "close"}));
}

// A section changes the common backpack where it names it; the shipped file writes that one out.
TEST(BackpackConfiguration, KeysSetTheBackpackOrSayWhatIsWrong) {
    std::string error;
    EXPECT_EQ(i2c::parse_backpacks("bus = i2c-usb\naddress = 0x3F\nrs=P6\nrw=5\ne=4\n"
                                   "backlight=7\nd4=0\nd5=1\nd6=2\nd7=3\nlight = off\n",
                                   error)
                  ->lpt1,
              (i2c::Backpack{"/dev/i2c-usb", 0x3F, 6, 5, 4, 7, {0, 1, 2, 3}, false}));
    const auto written_out = i2c::parse_backpacks(file_text(I2C_CONF), error);
    EXPECT_EQ(written_out->lpt1, i2c::Backpack());
    EXPECT_EQ(i2c::parse_backpacks("bus = 0x1A", error)->lpt1.bus, "/dev/i2c-26");
    EXPECT_FALSE(written_out->lpt2);
    const std::pair<const char*, const char*> faults[] = {
        {"colour = blue",
         "line 1: unknown key colour (bus, address, rs, rw, e, backlight, d4..d7, light)"},
        {"bus =", "line 1: bus = needs a bus, such as /dev/i2c-1 or 1"},
        {"bus = 1x", "line 1: bus = 1x is not a bus number"},
        {"address = 0x78", "line 1: address = 0x78 is not a device address (0x03 to 0x77)"},
        {"address = 2", "line 1: address = 2 is not a device address (0x03 to 0x77)"},
        {"rs = 8", "line 1: rs = 8 is not a pin (0..7)"},
        {"light = dim", "line 1: light = dim is neither on nor off"},
        {"[LPT2]\nrs = 4", "[LPT2] P4 is both rs and d4"},
    };
    for (const auto& [text, expected] : faults)
        EXPECT_EQ(i2c::parse_backpacks(text, error) ? "accepted" : error, expected);
}

// The common backpack's pins (P0 RS, P1 R/W, P2 E, P3 the backlight, P4..P7 D4..D7) are sent
// whenever a register write changes them; a read cycle sets D7..D4 high while R/W is high and
// receives them. E rises after the other levels, falls before.
TEST_F(BackpackMapping, RegisterWritesSendThePins) {
    ASSERT_TRUE(mapping.open("LPT1:", {}));
    device.calls.clear();
    device.display = {0x8, 0x5}; // busy, address 000 0101
    EXPECT_EQ(replay(core_trace([] { display::read_cycle(display::read_busy_flag_and_address); }),
                     mapping),
              (std::vector{0x0B, 0x47, 0x2F}));
    mapping.write(0x378, 0x50);
    mapping.write(0x378, 0x5F); // D3..D0 are not on the backpack
    mapping.write(0x37A, 0x0C); // RS, R/W and E rise at once: E after the others,
    mapping.write(0x37A,
                  0x6B); // and falls before them; CR keeps bits 0..5, bit 5 lets go of D7..D4
    EXPECT_EQ(mapping.read(0x37A), 0x2B);
    EXPECT_EQ(device.calls, (Calls{"send FA", "send FE", "receive", "send FA", "send 08", "send FA",
                                   "send FE", "receive", "send FA", "send 08", "send 58", "send FB",
                                   "send FF", "send FB", "send F8"}));
}

} // namespace
