#include "drv/gpio/gpio_port.h"
#include "support/port_mapping_test.h"

#include <algorithm>
#include <cerrno>
#include <deque>
#include <linux/gpio.h>
#include <map>

using namespace lumivex;

namespace {

using Calls = std::vector<std::string>;

// The kernel side as the GPIO character device answers: the chip is descriptor 3 with chip_lines
// lines, the requested lines 4, each an input or an output with a level. Records every call,
// lines by their offsets; fails the open of a path or the call named in `errors` ("chipinfo",
// "request", "config", "set", "get"). Input lines read as the display drives them (`reads`).
class FakeGpioDevice final : public gpio::GpioDevice {
public:
    Calls calls;
    std::map<std::string, int> errors;
    std::deque<std::uint64_t> reads; // the levels each read finds, by the lines' order
    unsigned chip_lines = 54;

    int open(const std::string& path) override {
        calls.push_back("open " + path);
        return errors.count(path) != 0 ? -errors[path] : 3;
    }
    int ioctl(int descriptor, unsigned long request, void* argument) override {
        const std::map<unsigned long, std::string> names = {
            {GPIO_GET_CHIPINFO_IOCTL, "chipinfo"},    {GPIO_V2_GET_LINE_IOCTL, "request"},
            {GPIO_V2_GET_LINEINFO_IOCTL, "lineinfo"}, {GPIO_V2_LINE_SET_CONFIG_IOCTL, "config"},
            {GPIO_V2_LINE_SET_VALUES_IOCTL, "set"},   {GPIO_V2_LINE_GET_VALUES_IOCTL, "get"}};
        const std::string call = names.at(request);
        if (descriptor != (call == "config" || call == "set" || call == "get" ? 4 : 3))
            calls.push_back("wrong descriptor");
        if (errors[call] != 0) {
            calls.push_back(call + " refused");
            return errors[call];
        }
        if (call == "chipinfo")
            static_cast<gpiochip_info*>(argument)->lines = chip_lines;
        if (call == "request")
            return request_lines(*static_cast<gpio_v2_line_request*>(argument));
        if (call == "lineinfo") {
            auto& info = *static_cast<gpio_v2_line_info*>(argument);
            info.flags = info.offset == 5 ? GPIO_V2_LINE_FLAG_USED : 0; // only line 5 is held
            std::snprintf(info.consumer, sizeof info.consumer, "spi0 CS1");
        }
        if (call == "config") {
            configure(*static_cast<gpio_v2_line_config*>(argument));
            calls.push_back("config in" + named(~outputs) + " high" + named(levels & outputs));
        }
        if (call != "set" && call != "get")
            return 0;
        auto& values = *static_cast<gpio_v2_line_values*>(argument);
        if (values.mask == 0)
            return EINVAL;
        if (call == "set" && (values.mask & ~outputs) != 0)
            return EPERM;
        if (call == "set") {
            levels = (levels & ~values.mask) | (values.bits & values.mask);
            calls.push_back("set" + named(values.mask, values.bits));
        }
        if (call == "get") {
            calls.push_back("get" + named(values.mask));
            values.bits = ((levels & outputs) | (reads.front() & ~outputs)) & values.mask;
            reads.pop_front();
        }
        return 0;
    }
    void close(int descriptor) override {
        calls.push_back(descriptor == 3 ? "close chip" : "close lines");
    }

    // The masked lines' offsets, each with its level ("=0", "=1") when given; "-" for none.
    std::string named(std::uint64_t mask, std::optional<std::uint64_t> levels = {}) const {
        std::string text;
        for (std::size_t index = 0; index < offsets.size(); ++index)
            if ((mask >> index & 1) != 0)
                text += " " + std::to_string(offsets[index]) +
                        (levels ? "=" + std::to_string(*levels >> index & 1) : "");
        return text.empty() ? " -" : text;
    }

private:
    int request_lines(gpio_v2_line_request& lines) {
        offsets.assign(lines.offsets, lines.offsets + lines.num_lines);
        if (*std::max_element(offsets.begin(), offsets.end()) >= chip_lines)
            return EINVAL;
        const bool low_outputs =
            lines.config.flags == GPIO_V2_LINE_FLAG_OUTPUT && lines.config.num_attrs == 0;
        calls.push_back(std::string("request ") + lines.consumer + named(~0ull) +
                        (low_outputs ? " out low" : " other config"));
        configure(lines.config);
        lines.fd = 4;
        return 0;
    }
    // Each line's direction and output level as the first attribute that names it gives them.
    void configure(const gpio_v2_line_config& config) {
        for (std::uint64_t index = 0, line = 1; index < offsets.size(); ++index, line <<= 1) {
            std::uint64_t flags = config.flags, high = 0;
            for (unsigned attribute = config.num_attrs; attribute-- > 0;) {
                const auto& [value, mask] = config.attrs[attribute];
                flags = (mask & line) != 0 && value.id == GPIO_V2_LINE_ATTR_ID_FLAGS ? value.flags
                                                                                     : flags;
                if ((mask & line) != 0 && value.id == GPIO_V2_LINE_ATTR_ID_OUTPUT_VALUES)
                    high = value.values & line;
            }
            outputs = (flags & GPIO_V2_LINE_FLAG_INPUT) != 0    ? outputs & ~line
                      : (flags & GPIO_V2_LINE_FLAG_OUTPUT) != 0 ? outputs | line
                                                                : outputs; // as it is
            levels = (flags & GPIO_V2_LINE_FLAG_OUTPUT) != 0 ? (levels & ~line) | high : levels;
        }
    }

    std::vector<unsigned> offsets;
    std::uint64_t outputs = 0, levels = 0; // by the lines' order
};

using GpioMapping = PortMappingTest<FakeGpioDevice, gpio::GpioPort>;

TEST_F(GpioMapping, EveryFailureSaysWhy) {
    const std::tuple<const char*, const char*, const char*, int> cases[] = {
        {"COM1:: unknown device name (LPT1: or LPT2:)", "COM1:", "", 0},
        {"LPT2:: no second wiring; give one under [LPT2] in /home/me/gpio.conf", "LPT2:", "", 0},
        {"/dev/gpiochip0: no such chip (ls /dev/gpiochip* lists the chips there are)",
         "LPT1:", "/dev/gpiochip0", ENOENT},
        {"/dev/gpiochip0: permission denied; add your user to the group gpio (usermod -aG gpio "
         "$USER) and log in again",
         "LPT1:", "/dev/gpiochip0", EACCES},
        {"/dev/gpiochip0: not a GPIO chip", "LPT1:", "chipinfo", ENOTTY},
        {"/dev/gpiochip0: line 5 (d0) is held by \"spi0 CS1\"", "LPT1:", "request", EBUSY},
    };
    const gpio::Wirings own{gpio::raspberry_pi_wiring(), {}, {"/home/me/gpio.conf", ""}};
    for (const auto& [error, name, failing, number] : cases) {
        device.errors = {{failing, number}};
        EXPECT_FALSE(mapping.open(name, own));
        EXPECT_EQ(mapping.error(), std::string("lumivex gpio: ") + error);
    }
    EXPECT_EQ(device.calls.back(), "close chip");
    device.calls.clear();
    mapping.close(); // nothing is held
    EXPECT_TRUE(device.calls.empty());
    // A line the chip lacks is named with the configuration's line that gives it.
    std::string fault;
    auto lacking = gpio::parse_wirings("rs=1\ne=2\nd4=3\nd5=4\nd6=5\nd7 = 60", fault);
    lacking->source.path = "/home/me/gpio.conf";
    EXPECT_FALSE(mapping.open("LPT1:", *lacking));
    EXPECT_EQ(mapping.error(), "lumivex gpio: /dev/gpiochip0: d7 = 60 (line 6 of "
                               "/home/me/gpio.conf) is past the chip's 54 lines (0..53)");
}

// The kernel refuses a change or a read (here the chip is unplugged): the line on standard error
// says what failed, and nothing more is asked of the kernel until the port is opened again.
TEST_F(GpioMapping, ARefusedCallIsToldOnceAndTheLinesAreLeftAlone) {
    const std::pair<std::string, std::string> cases[] = {
        {"set", "setting the lines"},
        {"config", "changing the data lines' direction"},
        {"get", "reading the data lines"}};
    for (const auto& [failing, what] : cases) {
        ASSERT_TRUE(mapping.open("LPT1:", {gpio::raspberry_pi_wiring(), {}, {}}));
        device.errors = {{failing, ENODEV}};
        device.reads = {0};
        testing::internal::CaptureStderr();
        mapping.write(0x378, 0x01);
        mapping.write(0x37A, 0x0A); // R/W high: the data lines are let go
        EXPECT_EQ(replay({inport(0x379), inport(0x378), inport(0x37A)}, mapping),
                  (std::vector{0xFF, 0xFF, 0xFF}));
        mapping.write(0x37A, 0x0B);
        EXPECT_EQ(testing::internal::GetCapturedStderr(),
                  "lumivex gpio: /dev/gpiochip0: " + what +
                      " failed (No such device); no line changes until the port is opened again\n");
        EXPECT_EQ(device.calls.back(), failing + " refused");
    }
}

// Each port gets its section's whole wiring: here LPT1 has LEDs on lines of their own and no R/W
// line, so the data lines stay outputs and SR reads D7..D4 as DR drives them. A faulty
// configuration says what is wrong.
TEST_F(GpioMapping, TheConfigurationSetsTheWiringOrSaysWhatIsWrong) {
    std::string error;
    const auto wirings = gpio::parse_wirings("Chip = gpiochip4 # a board\n RS = 7\ne = 8\nd4 = 9\n"
                                             "d5 = 10\nd6 = 11\nd7 = 0X19\nled0 = 40\nled7 = 47\n"
                                             "[ lpt2 ]\nrs=1\nrw=2\ne=3\nd4=4\nd5=5\nd6=6\nd7=7\n",
                                             error);
    ASSERT_TRUE(wirings) << error;
    ASSERT_TRUE(mapping.open("LPT1:", *wirings));
    mapping.write(0x378, 0x81);
    mapping.write(0x37A, 0x2A); // R/W high and CR bit 5: nothing to let go of
    EXPECT_EQ(replay({inport(0x37A), inport(0x379), inport(0x378)}, mapping),
              (std::vector{0x2A, 0x47, 0x81}));
    ASSERT_TRUE(mapping.open("LPT2:", *wirings));
    mapping.close();
    mapping.close();
    EXPECT_EQ(device.calls,
              (Calls{"open /dev/gpiochip4", "request lumivex 7 8 9 10 11 25 40 47 out low",
                     "close chip", "set 25=1 40=1 47=1", "close lines", "open /dev/gpiochip0",
                     "request lumivex 1 2 3 4 5 6 7 out low", "close chip", "close lines"}));
    // Without a section of its own LPT1 keeps the Raspberry Pi wiring, as the shipped file does.
    EXPECT_EQ(gpio::parse_wirings("[LPT2]\nrs=1\ne=2\nd4=3\nd5=4\nd6=5\nd7=6", error)->lpt1,
              gpio::raspberry_pi_wiring());
    auto written_out = gpio::parse_wirings(file_text(GPIO_CONF), error);
    written_out->lpt1.config_lines.clear();
    EXPECT_EQ(written_out->lpt1, gpio::raspberry_pi_wiring());
    EXPECT_FALSE(written_out->lpt2);
    const std::pair<const char*, const char*> faults[] = {
        {"colour = blue", "line 1: unknown key colour (chip, rs, rw, e, d0..d7, led0..led7)"},
        {"chip =", "line 1: chip = needs a device, such as /dev/gpiochip0"},
        {"rs 17", "line 1: expected key = value, not rs 17"},
        {"\n = 17", "line 2: expected key = value, not = 17"},
        {"# LPT3\n\n[LPT3]", "line 3: expected [LPT1] or [LPT2], not [LPT3]"},
        {"rs = -1", "line 1: rs = -1 is not a line number"},
        {"rs = 0x", "line 1: rs = 0x is not a line number"},
        {"rs = 4294967296", "line 1: rs = 4294967296 is not a line number"},
        {"rs = 17\nrs = 18", "line 2: rs is given twice"},
        {"rs = 17\nled3 = 17", "line 2: line 17 is rs already"},
        {"rs=1\ne=2\nd4=3\nd5=4\nd6=5", "[LPT1] no line for d7"},
        {"[LPT2]\nrs=1\ne=2\nd4=3\nd5=4\nd6=5\nd7=6\nd0=7",
         "[LPT2] d0..d3 are given in part: an 8-bit bus needs all four, a 4-bit bus none"},
    };
    for (const auto& [text, expected] : faults)
        EXPECT_EQ(gpio::parse_wirings(text, error) ? "accepted" : error, expected);
}

// A register write sets the lines it changes, by their offsets; R/W high lets go of the data
// lines in one configuration, and a read of SR asks for D7..D4 alone.
TEST_F(GpioMapping, RegisterAccessesBecomeLineCalls) {
    ASSERT_TRUE(mapping.open("LPT1:", {gpio::raspberry_pi_wiring(), {}, {}}));
    device.calls.clear();
    device.reads = {1 << 10 | 1 << 7}; // D7: busy, and D4
    mapping.write(0x378, 0x81);
    mapping.write(0x37A, 0x0E); // R/W and E high
    EXPECT_EQ(replay({inport(0x379), inport(0x37A)}, mapping), (std::vector{0x4F, 0x0E}));
    mapping.write(0x37A, 0x0B);
    EXPECT_EQ(device.calls,
              (Calls{"set 5=1 21=1", "config in 5 6 13 19 12 16 20 21 high 27", "set 22=1",
                     "get 12 16 20 21", "set 22=0", "config in - high 5 21"}));
}

// The user's own file comes first, then the default beside the library; a file named must be
// there.
TEST_F(GpioMapping, TheLibraryRefusesWithOneLine) {
    const std::string wiring = "rs=1\ne=2\nd4=3\nd5=4\nd6=5\nd7=6\nchip = /nonexistent/gpiochip";
    const std::string no_chip = "no such chip (ls /dev/gpiochip* lists the chips there are)";
    EXPECT_EQ(refusal(GPIO_PORT_LIBRARY, {{"drv/gpio.conf", wiring + "9"}}),
              "lumivex gpio: /nonexistent/gpiochip9: " + no_chip +
                  "; to configure your hardware, copy <run>/drv/gpio.conf to "
                  "<run>/config/lumivex/gpio.conf and edit it\n");
    EXPECT_EQ(refusal(GPIO_PORT_LIBRARY, {{"drv/gpio.conf", wiring + "9"},
                                          {"config/lumivex/gpio.conf", wiring + "8"}}),
              "lumivex gpio: /nonexistent/gpiochip8: " + no_chip + "\n");
    setenv("LUMIVEX_GPIO_CONF", "/nonexistent/gpio.cnf", 1);
    EXPECT_EQ(refusal(GPIO_PORT_LIBRARY, {{"config/lumivex/gpio.conf", wiring + "8"}}),
              "lumivex gpio: LUMIVEX_GPIO_CONF=/nonexistent/gpio.cnf: No such file or directory\n");
    unsetenv("LUMIVEX_GPIO_CONF");
}

} // namespace
