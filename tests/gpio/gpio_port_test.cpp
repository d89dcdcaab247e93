#include "display/bus_cycles.h"
#include "display/initialisation.h"
#include "drv/gpio/gpio_port.h"
#include "support/port_mapping_test.h"

#include <cerrno>
#include <linux/gpio.h>
#include <map>
#include <set>

using namespace lumivex;

namespace {

using Calls = std::vector<std::string>;

// The kernel side as a script: records every call, lines by their offsets, and answers each read
// with the lines the display drives high.
class FakeGpioDevice final : public gpio::GpioDevice {
public:
    static constexpr int chip = 3;
    static constexpr int lines = 4;

    Calls calls;
    std::map<std::string, int> open_errors; // by path
    int request_error = 0;
    std::map<unsigned, std::string> consumers;  // lines held by others
    std::vector<std::set<unsigned>> high_lines; // for each read in turn

    int open(const std::string& path) override {
        calls.push_back("open " + path);
        return open_errors.count(path) != 0 ? -open_errors[path] : chip;
    }
    int ioctl(int descriptor, unsigned long request, void* argument) override {
        const bool of_chip =
            request == GPIO_V2_GET_LINE_IOCTL || request == GPIO_V2_GET_LINEINFO_IOCTL;
        if (descriptor != (of_chip ? chip : lines))
            calls.push_back("wrong descriptor");
        if (request == GPIO_V2_GET_LINE_IOCTL) {
            auto& lines_request = *static_cast<gpio_v2_line_request*>(argument);
            offsets_.assign(lines_request.offsets, lines_request.offsets + lines_request.num_lines);
            const bool low_outputs = lines_request.config.flags == GPIO_V2_LINE_FLAG_OUTPUT &&
                                     lines_request.config.num_attrs == 0;
            calls.push_back(std::string("request ") + lines_request.consumer + named(~0ull) +
                            (low_outputs ? " out low" : " other config"));
            lines_request.fd = lines;
            return request_error;
        }
        if (request == GPIO_V2_GET_LINEINFO_IOCTL) {
            auto& info = *static_cast<gpio_v2_line_info*>(argument);
            calls.push_back("lineinfo " + std::to_string(info.offset));
            info.flags = consumers.count(info.offset) != 0 ? GPIO_V2_LINE_FLAG_USED : 0;
            std::snprintf(info.consumer, sizeof info.consumer, "%s",
                          consumers[info.offset].c_str());
        } else if (request == GPIO_V2_LINE_SET_CONFIG_IOCTL) {
            calls.push_back(configuration(*static_cast<gpio_v2_line_config*>(argument)));
        } else if (auto& values = *static_cast<gpio_v2_line_values*>(argument);
                   request == GPIO_V2_LINE_SET_VALUES_IOCTL) {
            calls.push_back("set" + named(values.mask, values.bits));
        } else {
            calls.push_back("get" + named(values.mask));
            for (std::size_t index = 0; index < offsets_.size(); ++index)
                if (high_lines.front().count(offsets_[index]) != 0)
                    values.bits |= (std::uint64_t{1} << index) & values.mask;
            high_lines.erase(high_lines.begin());
        }
        return 0;
    }
    void close(int descriptor) override {
        calls.push_back(descriptor == chip ? "close chip" : "close lines");
    }

private:
    // The masked lines' offsets, each with its level ("=0", "=1") when given; "-" for none.
    std::string named(std::uint64_t mask, std::optional<std::uint64_t> levels = {}) const {
        std::string text;
        for (std::size_t index = 0; index < offsets_.size(); ++index)
            if ((mask >> index & 1) != 0)
                text += " " + std::to_string(offsets_[index]) +
                        (levels ? "=" + std::to_string(*levels >> index & 1) : "");
        return text.empty() ? " -" : text;
    }
    // "config in <inputs> high <outputs that are high>", every output given a level (read as the
    // port lays the request out: the levels first, the inputs after).
    std::string configuration(const gpio_v2_line_config& config) const {
        const auto& [values, all] = config.attrs[0];
        const auto& [inputs, input_mask] = config.attrs[1];
        const bool whole = config.flags == GPIO_V2_LINE_FLAG_OUTPUT &&
                           values.id == GPIO_V2_LINE_ATTR_ID_OUTPUT_VALUES &&
                           all == (std::uint64_t{1} << offsets_.size()) - 1;
        const std::uint64_t in =
            config.num_attrs == 2 && inputs.flags == GPIO_V2_LINE_FLAG_INPUT ? input_mask : 0;
        return (whole ? "config in" : "config (not every output) in") + named(in) + " high" +
               named(values.values & ~in);
    }

    std::vector<unsigned> offsets_;
};

const gpio::Wirings raspberry_pi{gpio::raspberry_pi_wiring(), std::nullopt};

class GpioMapping : public PortMappingTest {
protected:
    FakeGpioDevice device;
    gpio::GpioPort mapping{device};

    std::string refused(const char* device_name) {
        EXPECT_FALSE(mapping.open(device_name, raspberry_pi));
        return mapping.error();
    }
};

TEST_F(GpioMapping, EveryFailureSaysWhy) {
    EXPECT_EQ(refused("COM1:"), "lumivex gpio: COM1:: unknown device name (LPT1: or LPT2:)");
    EXPECT_EQ(refused("LPT2:"),
              "lumivex gpio: LPT2:: no second wiring; give one under [LPT2] in drv/gpio.conf");
    device.open_errors["/dev/gpiochip0"] = ENOENT;
    EXPECT_EQ(refused("LPT1:"), "lumivex gpio: /dev/gpiochip0: no such chip (ls /dev/gpiochip* "
                                "lists the chips there are)");
    device.open_errors["/dev/gpiochip0"] = EACCES;
    EXPECT_EQ(refused("LPT1:"), "lumivex gpio: /dev/gpiochip0: permission denied; add your user "
                                "to the group gpio (usermod -aG gpio $USER) and log in again");
    device.open_errors.clear();
    device.request_error = ENOTTY;
    EXPECT_EQ(refused("LPT1:"), "lumivex gpio: /dev/gpiochip0: not a GPIO chip");
    device.request_error = EBUSY;
    device.consumers[5] = "spi0 CS1";
    device.calls.clear();
    EXPECT_EQ(refused("LPT1:"),
              "lumivex gpio: /dev/gpiochip0: line 5 (d0) is held by \"spi0 CS1\"");
    EXPECT_EQ(device.calls.back(), "close chip");
    device.calls.clear();
    mapping.close(); // nothing is held
    EXPECT_TRUE(device.calls.empty());
}

// Each port gets its section's whole wiring: here LPT1 has LEDs on lines of their own and no R/W
// line, so the data lines stay outputs and SR reads D7..D4 as DR drives them.
TEST_F(GpioMapping, TheConfiguredWiringIsWhatIsRequestedAndDriven) {
    std::string error;
    const auto wirings = gpio::parse_wirings("chip = gpiochip4\nrs = 7\ne = 8\nd4 = 9\nd5 = 10\n"
                                             "d6 = 11\nd7 = 0x19\nled0 = 40\nled7 = 47\n[LPT2]\n"
                                             "rs=1\nrw=2\ne=3\nd4=4\nd5=5\nd6=6\nd7=7\n",
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
    std::ifstream shipped(GPIO_CONF);
    const auto written_out =
        gpio::parse_wirings(std::string((std::istreambuf_iterator<char>(shipped)), {}), error);
    EXPECT_EQ(written_out->lpt1, gpio::raspberry_pi_wiring());
    EXPECT_FALSE(written_out->lpt2);
    const std::pair<const char*, const char*> faults[] = {
        {"colour = blue", "line 1: unknown key colour (chip, rs, rw, e, d0..d7, led0..led7)"},
        {"chip =", "line 1: chip = needs a device, such as /dev/gpiochip0"},
        {"rs = 17\nrs = 18", "line 2: rs is given twice"},
        {"rs = 17\nled3 = 17", "line 2: line 17 is rs already"},
        {"rs=1\ne=2\nd4=3\nd5=4\nd6=5", "[LPT1] no line for d7"},
        {"[LPT2]\nrs=1\ne=2\nd4=3\nd5=4\nd6=5\nd7=6\nd0=7",
         "[LPT2] d0..d3 are given in part: an 8-bit bus needs all four, a 4-bit bus none"},
    };
    for (const auto& [text, expected] : faults) {
        EXPECT_FALSE(gpio::parse_wirings(text, error)) << text;
        EXPECT_EQ(error, expected);
    }
}

// The LED test and a 4-bit initialisation set the lines whose levels a register write changes, in
// the request's order; a read cycle lets go of the data lines while R/W is high.
TEST_F(GpioMapping, TheCoresRegisterAccessesSetTheLines) {
    const Trace trace = core_trace([] {
        port::run_led_test(lpt::lpt1_base_address);
        display::initialise_display(display::BusWidth::four_bit);
    });
    const unsigned offsets[] = {17, 27, 22, 5, 6, 13, 19, 12, 16, 20, 21}; // RS, R/W, E, D0..D7
    unsigned dr = 0;
    unsigned cr = lpt::control_idle;
    const auto levels = [&] { return (~cr >> 1 & 1) | (~cr & 1) << 1 | (cr & 4) | dr << 3; };
    Calls expected;
    const auto written = [&](int address, int value) {
        const unsigned before = levels();
        (address == 0x378 ? dr : cr) = value;
        std::string call = "set";
        for (int line = 0; line < 11; ++line)
            if (((before ^ levels()) >> line & 1) != 0)
                call += " " + std::to_string(offsets[line]) + "=" +
                        std::to_string(levels() >> line & 1);
        if (call != "set")
            expected.push_back(call);
    };
    for_each_access(trace, written, [](int) {});
    ASSERT_TRUE(mapping.open("LPT1:", raspberry_pi));
    device.calls.clear();
    replay(trace, mapping);
    EXPECT_EQ(device.calls, expected);

    device.calls.clear();
    device.high_lines = {{21}, {20, 12}}; // busy, address 000 0101
    EXPECT_EQ(replay(core_trace([] { display::read_cycle(display::read_busy_flag_and_address); }),
                     mapping),
              (std::vector{0x0B, 0x47, 0x2F}));
    const std::string released = "config in 5 6 13 19 12 16 20 21 high 27";
    EXPECT_EQ(device.calls,
              (Calls{released, "set 22=1", "get 12 16 20 21", "set 22=0", "config in - high -",
                     released, "set 22=1", "get 12 16 20 21", "set 22=0", "config in - high -"}));
}

TEST_F(GpioMapping, TheLibraryRefusesWithOneLine) {
    EXPECT_EQ(refusal(GPIO_PORT_LIBRARY, "gpio.conf",
                      "chip = /nonexistent/gpiochip9\nrs=1\ne=2\nd4=3\nd5=4\nd6=5\nd7=6\n"),
              "lumivex gpio: /nonexistent/gpiochip9: no such chip (ls /dev/gpiochip* lists the "
              "chips there are)\n");
    EXPECT_EQ(refusal(GPIO_PORT_LIBRARY, "gpio.conf", "# wiring\nRS = GPIO17\n"),
              "lumivex gpio: <run>/drv/gpio.conf: line 2: rs = GPIO17 is not a line number\n");
}

} // namespace
