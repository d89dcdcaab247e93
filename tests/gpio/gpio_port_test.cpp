#include "app/shared_state.h"
#include "display/bus_cycles.h"
#include "display/initialisation.h"
#include "drv/gpio/gpio_port.h"
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
#include <linux/gpio.h>
#include <map>

using namespace lumivex;

namespace {

using Calls = std::vector<std::string>;

// The kernel side as a script: records every call, lines by their offsets, and answers reads
// with what the display drives.
class FakeGpioDevice final : public gpio::GpioDevice {
public:
    static constexpr int chip = 3;
    static constexpr int lines = 4;

    Calls calls;
    std::map<std::string, int> open_errors; // by path
    int request_error = 0;
    std::map<unsigned, std::string> consumers; // lines held by others
    std::map<unsigned, int> data_bits;         // line offset -> D bit, for reads
    std::deque<std::uint8_t> display_drives;   // D7..D0 for each read in turn

    int open(const std::string& path) override {
        calls.push_back("open " + path);
        const auto error = open_errors.find(path);
        return error == open_errors.end() ? chip : -error->second;
    }
    int ioctl(int descriptor, unsigned long request, void* argument) override {
        if (descriptor !=
            (request == GPIO_V2_GET_LINE_IOCTL || request == GPIO_V2_GET_LINEINFO_IOCTL ? chip
                                                                                        : lines))
            calls.push_back("wrong descriptor");
        if (request == GPIO_V2_GET_LINE_IOCTL)
            return request_lines(*static_cast<gpio_v2_line_request*>(argument));
        if (request == GPIO_V2_GET_LINEINFO_IOCTL) {
            auto& info = *static_cast<gpio_v2_line_info*>(argument);
            calls.push_back("lineinfo " + std::to_string(info.offset));
            if (consumers.count(info.offset) != 0) {
                info.flags = GPIO_V2_LINE_FLAG_USED;
                std::snprintf(info.consumer, sizeof info.consumer, "%s",
                              consumers[info.offset].c_str());
            }
        } else if (request == GPIO_V2_LINE_SET_VALUES_IOCTL) {
            const auto& values = *static_cast<gpio_v2_line_values*>(argument);
            std::string call = "set";
            for (std::size_t index = 0; index < offsets_.size(); ++index)
                if ((values.mask >> index & 1) != 0)
                    call += " " + std::to_string(offsets_[index]) + "=" +
                            std::to_string(values.bits >> index & 1);
            calls.push_back(call);
        } else if (request == GPIO_V2_LINE_SET_CONFIG_IOCTL) {
            calls.push_back(configuration(*static_cast<gpio_v2_line_config*>(argument)));
        } else if (request == GPIO_V2_LINE_GET_VALUES_IOCTL) {
            auto& values = *static_cast<gpio_v2_line_values*>(argument);
            calls.push_back("get" + offsets_in(values.mask));
            const std::uint8_t driven = display_drives.front();
            display_drives.pop_front();
            for (std::size_t index = 0; index < offsets_.size(); ++index)
                if (data_bits.count(offsets_[index]) != 0)
                    values.bits |= std::uint64_t{driven >> data_bits[offsets_[index]] & 1u}
                                   << index;
            values.bits &= values.mask;
        }
        return 0;
    }
    void close(int descriptor) override {
        calls.push_back(descriptor == chip ? "close chip" : "close lines");
    }

private:
    int request_lines(gpio_v2_line_request& request) {
        offsets_.assign(request.offsets, request.offsets + request.num_lines);
        calls.push_back(
            std::string("request ") + request.consumer + offsets_in(~0ull) +
            (request.config.flags == GPIO_V2_LINE_FLAG_OUTPUT && request.config.num_attrs == 0
                 ? " out low"
                 : " other config"));
        request.fd = lines;
        return request_error;
    }
    std::string offsets_in(std::uint64_t mask) const {
        std::string text;
        for (std::size_t index = 0; index < offsets_.size(); ++index)
            if ((mask >> index & 1) != 0)
                text += " " + std::to_string(offsets_[index]);
        return text;
    }
    // "config in <inputs> high <outputs that are high>", "-" for none.
    std::string configuration(const gpio_v2_line_config& config) const {
        std::uint64_t inputs = 0;
        std::uint64_t values = 0;
        bool values_for_all = false;
        for (std::uint32_t index = 0; index < config.num_attrs; ++index) {
            const auto& attribute = config.attrs[index];
            if (attribute.attr.id == GPIO_V2_LINE_ATTR_ID_FLAGS &&
                attribute.attr.flags == GPIO_V2_LINE_FLAG_INPUT)
                inputs |= attribute.mask;
            if (attribute.attr.id == GPIO_V2_LINE_ATTR_ID_OUTPUT_VALUES) {
                values = attribute.attr.values;
                values_for_all = attribute.mask == (1ull << offsets_.size()) - 1;
            }
        }
        const std::string in = offsets_in(inputs);
        const std::string high = offsets_in(values & ~inputs);
        return std::string(config.flags == GPIO_V2_LINE_FLAG_OUTPUT && values_for_all
                               ? "config"
                               : "config (not all outputs set)") +
               " in" + (in.empty() ? " -" : in) + " high" + (high.empty() ? " -" : high);
    }

    std::vector<unsigned> offsets_;
};

// The Raspberry Pi wiring, pin by pin as documented: RS, R/W, E, D0..D7.
const Calls default_request{"open /dev/gpiochip0",
                            "request lumivex 17 27 22 5 6 13 19 12 16 20 21 out low", "close chip"};

gpio::Wirings default_wirings() {
    return {gpio::raspberry_pi_wiring(), std::nullopt};
}

class GpioMapping : public ::testing::Test {
protected:
    FakeGpioDevice device;
    gpio::GpioPort port{device};
};

TEST_F(GpioMapping, RequestsTheDefaultWiringForLumivexAndReleasesItAtClose) {
    EXPECT_TRUE(port.open("LPT1:", default_wirings()));
    port.close();
    port.close();
    Calls expected = default_request;
    expected.push_back("close lines");
    EXPECT_EQ(device.calls, expected);
}

TEST_F(GpioMapping, EveryFailureSaysWhy) {
    struct Case {
        const char* device_name;
        std::function<void(FakeGpioDevice&)> kernel;
        const char* line;
    };
    const Case cases[] = {
        {"COM1:", {}, "lumivex gpio: COM1:: unknown device name (LPT1: or LPT2:)"},
        {"LPT2:",
         {},
         "lumivex gpio: LPT2:: no second wiring; give one under [LPT2] in "
         "drv/gpio.conf"},
        {"LPT1:", [](auto& kernel) { kernel.open_errors["/dev/gpiochip0"] = ENOENT; },
         "lumivex gpio: /dev/gpiochip0: no such chip (ls /dev/gpiochip* lists the chips there "
         "are)"},
        {"LPT1:", [](auto& kernel) { kernel.open_errors["/dev/gpiochip0"] = EACCES; },
         "lumivex gpio: /dev/gpiochip0: permission denied; add your user to the group gpio "
         "(usermod -aG gpio $USER) and log in again"},
        {"LPT1:",
         [](auto& kernel) {
             kernel.request_error = EBUSY;
             kernel.consumers[5] = "spi0 CS1";
         },
         "lumivex gpio: /dev/gpiochip0: line 5 (d0) is held by \"spi0 CS1\""},
        {"LPT1:", [](auto& kernel) { kernel.request_error = ENOTTY; },
         "lumivex gpio: /dev/gpiochip0: not a GPIO chip"},
    };
    for (const Case& failure : cases) {
        FakeGpioDevice kernel;
        if (failure.kernel)
            failure.kernel(kernel);
        gpio::GpioPort refused(kernel);
        EXPECT_FALSE(refused.open(failure.device_name, default_wirings()));
        EXPECT_EQ(refused.error(), failure.line);
        kernel.calls.clear();
        refused.close(); // nothing is held
        EXPECT_TRUE(kernel.calls.empty()) << failure.line;
    }
    // The chip is closed again, and the held line found by asking line by line.
    device.request_error = EBUSY;
    device.consumers[5] = "spi0 CS1";
    EXPECT_FALSE(port.open("LPT1:", default_wirings()));
    EXPECT_EQ(device.calls, (Calls{default_request[0], default_request[1], "lineinfo 17",
                                   "lineinfo 27", "lineinfo 22", "lineinfo 5", "close chip"}));
}

TEST(GpioWiring, ConfigurationGivesEachPortItsWholeWiring) {
    std::string error;
    const auto wirings = gpio::parse_wirings("# a 4-bit bus, R/W on ground, LEDs of their own\n"
                                             "Chip = gpiochip4\n"
                                             "RS = 7 \n"
                                             "\n"
                                             "e=8\n"
                                             "d4 = 9\nd5 = 10\nd6 = 11\nd7 = 0x19 # hex\n"
                                             "led0 = 40\nled7 = 47\n"
                                             "[ lpt2 ]\n"
                                             "chip = /dev/gpiochip1\n"
                                             "rs = 7\nrw = 8\ne = 9\n"
                                             "d4 = 1\nd5 = 2\nd6 = 3\nd7 = 4\n",
                                             error);
    ASSERT_TRUE(wirings) << error;
    gpio::Wiring lpt1;
    lpt1.chip = "/dev/gpiochip4";
    lpt1.rs = 7;
    lpt1.e = 8;
    lpt1.data = {std::nullopt, std::nullopt, std::nullopt, std::nullopt, 9, 10, 11, 25};
    lpt1.leds[0] = 40;
    lpt1.leds[7] = 47;
    EXPECT_EQ(wirings->lpt1, lpt1);
    ASSERT_TRUE(wirings->lpt2);
    EXPECT_EQ(wirings->lpt2->chip, "/dev/gpiochip1");
    EXPECT_EQ(wirings->lpt2->rw, 8u);
    // The file shipped for editing writes out the wiring used without one.
    std::ifstream shipped(GPIO_CONF);
    const auto written_out =
        gpio::parse_wirings(std::string((std::istreambuf_iterator<char>(shipped)), {}), error);
    ASSERT_TRUE(written_out) << error;
    EXPECT_EQ(written_out->lpt1, gpio::raspberry_pi_wiring());
    EXPECT_FALSE(written_out->lpt2);
    // Without a section of its own, LPT1 keeps the Raspberry Pi wiring.
    const auto second_only =
        gpio::parse_wirings("[LPT2]\nrs=1\ne=2\nd4=3\nd5=4\nd6=5\nd7=6", error);
    ASSERT_TRUE(second_only) << error;
    EXPECT_EQ(second_only->lpt1, gpio::raspberry_pi_wiring());
}

TEST(GpioWiring, ConfigurationFaultsSayWhereAndWhat) {
    const std::pair<const char*, const char*> cases[] = {
        {"rs 17", "line 1: expected key = value, not rs 17"},
        {"# LPT3\n[LPT3]", "line 2: expected [LPT1] or [LPT2], not [LPT3]"},
        {"colour = blue", "line 1: unknown key colour (chip, rs, rw, e, d0..d7, led0..led7)"},
        {"chip =", "line 1: chip = needs a device, such as /dev/gpiochip0"},
        {"rs = 17\nrs = 18", "line 2: rs is given twice"},
        {"rs = seventeen", "line 1: rs = seventeen is not a line number"},
        {"rs = -1", "line 1: rs = -1 is not a line number"},
        {"rs = 17\nled3 = 17", "line 2: line 17 is rs already"},
        {"rs=1\ne=2\nd4=3\nd5=4\nd6=5", "[LPT1] no line for d7"},
        {"[LPT2]\nrs=1\ne=2\nd4=3\nd5=4\nd6=5\nd7=6\nd0=7",
         "[LPT2] d0..d3 are given in part: an 8-bit bus needs all four, a 4-bit bus none"},
    };
    for (const auto& [text, expected] : cases) {
        std::string error;
        EXPECT_FALSE(gpio::parse_wirings(text, error)) << text;
        EXPECT_EQ(error, expected);
    }
}

TEST_F(GpioMapping, WithoutRwTheDataLinesStayOutputsAndLedLinesFollowDr) {
    std::string error;
    const auto wirings = gpio::parse_wirings(
        "rs = 1\ne = 2\nd4 = 3\nd5 = 4\nd6 = 5\nd7 = 6\nled0 = 10\nled7 = 17", error);
    ASSERT_TRUE(wirings) << error;
    ASSERT_TRUE(port.open("LPT1:", *wirings));
    device.calls.clear();
    port.write(0x378, 0x81);
    port.write(0x37A, 0x2A); // R/W high and CR bit 5: nothing to let go of
    EXPECT_EQ(port.read(0x37A), 0x2A);
    EXPECT_EQ(port.read(0x379), 0x47); // D7..D4 as DR drives them
    EXPECT_EQ(port.read(0x378), 0x81);
    EXPECT_EQ(device.calls, (Calls{"set 6=1 10=1 17=1"}));
}

// What the default wiring's lines must do for a trace of register writes at LPT1: every write
// that changes a line sets the changed ones, in the request's order. Reads cost nothing while the
// port drives the data lines.
Calls expected_line_changes(const Trace& trace) {
    const unsigned lines[] = {17, 27, 22, 5, 6, 13, 19, 12, 16, 20, 21}; // RS, R/W, E, D0..D7
    unsigned control = 0x0B;
    unsigned data = 0;
    const auto levels = [&] {
        std::vector<unsigned> level = {(~control >> 1) & 1, ~control & 1, (control >> 2) & 1};
        for (int bit = 0; bit < 8; ++bit)
            level.push_back(data >> bit & 1);
        return level;
    };
    Calls calls;
    for (const std::string& line : trace) {
        unsigned address = 0;
        unsigned value = 0;
        if (std::sscanf(line.c_str(), "OUTPORT %X %X", &address, &value) != 2)
            continue;
        const auto before = levels();
        (address == 0x378 ? data : control) = value;
        const auto after = levels();
        std::string call = "set";
        for (std::size_t index = 0; index < before.size(); ++index)
            if (before[index] != after[index])
                call += " " + std::to_string(lines[index]) + "=" + std::to_string(after[index]);
        if (call != "set")
            calls.push_back(call);
    }
    return calls;
}

// The program's core on the GPIO mapping over the fake kernel, with the default wiring.
class GpioCore : public CoreTest {
protected:
    struct DefaultWiring {
        gpio::GpioPort& port;
        bool open(const char* name) { return port.open(name, default_wirings()); }
        void close() { port.close(); }
        int read(int address) { return port.read(address); }
        void write(int address, int value) { port.write(address, value); }
    };

    FakeGpioDevice device;
    gpio::GpioPort gpio_port{device};
    DefaultWiring mapping{gpio_port};
    MappingLoader<DefaultWiring> loader{mapping};

    void open_on_gpio() {
        app::current_base_address = lpt::lpt1_base_address;
        port::use_library_loader(loader);
        ASSERT_EQ(port::open_port(lpt::lpt1_base_address), port::opened);
        device.calls.clear();
    }

    // Runs the sequence on the recording fake, then on the GPIO mapping.
    template <typename Sequence> void expect_line_changes_as_registers(Sequence sequence) {
        open_lpt1();
        sequence();
        const Calls expected = expected_line_changes(trace);
        port::close_port(lpt::lpt1_base_address);
        open_on_gpio();
        sequence();
        EXPECT_EQ(device.calls, expected);
        port::close_port(lpt::lpt1_base_address);
        port::use_library_loader(port);
    }
};

TEST_F(GpioCore, LedTestSetsTheDataLinesAsDr) {
    expect_line_changes_as_registers([] { port::run_led_test(lpt::lpt1_base_address); });
}

TEST_F(GpioCore, FourBitInitialisationSetsTheLinesAsTheRegisters) {
    expect_line_changes_as_registers(
        [] { display::initialise_display(display::BusWidth::four_bit); });
}

TEST_F(GpioCore, FourBitReadLetsGoOfTheDataLinesWhileRwIsHigh) {
    for (int bit = 0; bit < 8; ++bit)
        device.data_bits[*gpio::raspberry_pi_wiring().data[bit]] = bit;
    device.display_drives = {0x80, 0x50}; // busy, address 000 0101
    open_on_gpio();
    display::bus_width = display::BusWidth::four_bit;
    EXPECT_EQ(display::read_cycle(display::read_busy_flag_and_address), 0x85);
    const std::string released = "config in 5 6 13 19 12 16 20 21 high 27";
    EXPECT_EQ(device.calls, (Calls{released, "set 22=1", "get 12 16 20 21", // E falls first,
                                   "set 22=0", "config in - high -",        // then R/W
                                   released, "set 22=1", "get 12 16 20 21", // E rises last
                                   "set 22=0", "config in - high -"}));
    port::close_port(lpt::lpt1_base_address);
    port::use_library_loader(port);
}

// The real library, loaded by the program, with drv/gpio.conf beside it.
using GpioLibrary = CoreTest;

TEST_F(GpioLibrary, FailuresGiveTheProgramsNoticeAndOneLine) {
    const RunFolder folder;
    folder.install_port_library(GPIO_PORT_LIBRARY);
    port::use_library_loader(port::system_library_loader());
    const std::string config = (folder.path() / "drv" / "gpio.conf").string();
    const std::pair<const char*, std::string> cases[] = {
        {"chip = /nonexistent/gpiochip9\nrs=1\ne=2\nd4=3\nd5=4\nd6=5\nd7=6\n",
         "lumivex gpio: /nonexistent/gpiochip9: no such chip (ls /dev/gpiochip* lists the chips "
         "there are)\n"},
        {"# wiring\nRS = GPIO17\n",
         "lumivex gpio: " + config + ": line 2: rs = GPIO17 is not a line number\n"},
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
