#include "display/bus_cycles.h"
#include "display/initialisation.h"
#include "drv/ppdev/ppdev_port.h"
#include "support/port_mapping_test.h"

#include <cerrno>
#include <deque>
#include <linux/ppdev.h>
#include <map>
#include <sys/ioctl.h>

using namespace lumivex;

namespace {

using Calls = std::vector<std::string>;

std::string with_byte(const char* request, unsigned value) {
    char call[24];
    std::snprintf(call, sizeof call, "%s %02X", request, value);
    return call;
}

// The kernel side as a script: records every call and answers from maps.
class FakeParportDevice final : public ppdev::ParportDevice {
public:
    Calls calls;
    std::map<std::string, int> open_errors;              // by path
    std::map<std::string, std::deque<int>> ioctl_errors; // by request name, for its calls in turn
    std::map<std::string, int> ioctl_results;            // bytes the read requests return
    std::string holder_name;

    int open(const std::string& path) override {
        calls.push_back("open " + path);
        return open_errors[path];
    }
    int ioctl(unsigned long request, void* argument) override {
        const std::map<unsigned long, const char*> names = {
            {PPCLAIM, "PPCLAIM"},       {PPRELEASE, "PPRELEASE"},   {PPEXCL, "PPEXCL"},
            {PPWDATA, "PPWDATA"},       {PPRDATA, "PPRDATA"},       {PPRSTATUS, "PPRSTATUS"},
            {PPWCONTROL, "PPWCONTROL"}, {PPRCONTROL, "PPRCONTROL"}, {PPDATADIR, "PPDATADIR"}};
        const std::string name = names.at(request);
        if (request == PPWDATA || request == PPWCONTROL)
            calls.push_back(with_byte(name.c_str(), *static_cast<unsigned char*>(argument)));
        else if (request == PPDATADIR)
            calls.push_back(name + " " + std::to_string(*static_cast<int*>(argument)));
        else
            calls.push_back(name);
        if (std::deque<int>& errors = ioctl_errors[name]; !errors.empty()) {
            const int error = errors.front();
            errors.pop_front();
            return error;
        }
        if (ioctl_results.count(name) != 0)
            *static_cast<unsigned char*>(argument) =
                static_cast<unsigned char>(ioctl_results[name]);
        return 0;
    }
    void close() override { calls.push_back("close"); }
    std::string holder(const std::string&) override { return holder_name; }
};

class PpdevMapping : public PortMappingTest {
protected:
    FakeParportDevice device;
    ppdev::PpdevPort mapping{device};
};

TEST_F(PpdevMapping, EveryFailureSaysWhy) {
    const auto refusal = [&](const char* name) {
        EXPECT_FALSE(mapping.open(name));
        return mapping.error();
    };
    EXPECT_EQ(refusal("COM1:"), "lumivex ppdev: COM1:: unknown device name (LPT1: or LPT2:)");
    device.open_errors["/dev/parport0"] = ENOENT;
    EXPECT_EQ(refusal("LPT1:"), "lumivex ppdev: /dev/parport0: no such device; load the kernel "
                                "modules parport_pc and ppdev (modprobe parport_pc ppdev)");
    device.open_errors["/dev/parport0"] = EACCES;
    EXPECT_EQ(refusal("LPT1:"), "lumivex ppdev: /dev/parport0: permission denied; add your user "
                                "to the group lp (usermod -aG lp $USER) and log in again");
    device.open_errors["/dev/parport0"] = ENODEV;
    EXPECT_EQ(refusal("LPT1:"), "lumivex ppdev: /dev/parport0: no parallel port behind it; load "
                                "the kernel module parport_pc (modprobe parport_pc)");
    device.open_errors.clear();
    device.holder_name = "lp";
    device.ioctl_errors["PPCLAIM"] = {ENXIO, EBUSY, EBUSY, EBUSY};
    EXPECT_EQ(refusal("LPT1:"), "lumivex ppdev: /dev/parport0: busy: the driver \"lp\" holds "
                                "the port (modprobe -r lp frees it)");
    device.holder_name.clear();
    EXPECT_EQ(refusal("LPT1:"), "lumivex ppdev: /dev/parport0: busy: another driver holds the "
                                "port");
    device.calls.clear();
    mapping.close(); // nothing was opened
    EXPECT_EQ(mapping.read(0x378), 0xFF);
    EXPECT_TRUE(device.calls.empty());
}

// The LED test, a 4-bit initialisation, a read cycle and the data direction there and back, on a
// port shared with another driver: each register access of the open port is its ioctl; the kernel
// keeps CR bits 0..3 only, PPDATADIR carries bit 5. Opening another port releases this one.
TEST_F(PpdevMapping, TheCoresRegisterAccessesAreTheirIoctls) {
    const Trace trace = core_trace([] {
        port::run_led_test(lpt::lpt1_base_address);
        display::initialise_display(display::BusWidth::four_bit);
        display::read_cycle(display::read_busy_flag_and_address);
        port::set_data_direction(lpt::lpt1_base_address, 1);
        port::set_data_direction(lpt::lpt1_base_address, 0);
    });
    Calls expected{"open /dev/parport0", "PPEXCL",  "PPCLAIM",    "close",
                   "open /dev/parport0", "PPCLAIM", "PPDATADIR 0"};
    int direction = 0;
    const auto written = [&](int address, int value) {
        if (address == 0x37A && (value & 0x20) != direction)
            expected.push_back((direction = value & 0x20) != 0 ? "PPDATADIR 1" : "PPDATADIR 0");
        expected.push_back(address == 0x378 ? with_byte("PPWDATA", value)
                                            : with_byte("PPWCONTROL", value & 0x0F));
    };
    const auto read = [&](int address) {
        expected.push_back(address == 0x378   ? "PPRDATA"
                           : address == 0x379 ? "PPRSTATUS"
                                              : "PPRCONTROL");
    };
    for_each_access(trace, written, read);
    expected.insert(expected.end(), {"PPRSTATUS", "PPRELEASE", "close", "open /dev/parport1",
                                     "PPEXCL", "PPCLAIM", "PPDATADIR 0", "PPRELEASE", "close"});
    device.ioctl_errors["PPCLAIM"] = {ENXIO}; // another driver has the port registered
    ASSERT_TRUE(mapping.open("LPT1:"));
    device.ioctl_results = {{"PPRDATA", 0x5A}, {"PPRSTATUS", 0x78}, {"PPRCONTROL", 0xFB}};
    EXPECT_EQ(replay(trace, mapping), (std::vector{0x5A, 0x0B, 0x78, 0x78, 0x0B, 0x2B}));
    mapping.write(0x379, 0x12); // SR only reads
    mapping.write(0x27A, 0x01);
    EXPECT_EQ(mapping.read(0x37B), 0xFF);
    device.ioctl_errors["PPRSTATUS"] = {EIO};
    EXPECT_EQ(mapping.read(0x379), 0xFF);
    ASSERT_TRUE(mapping.open("LPT2:"));
    mapping.close();
    mapping.close();
    EXPECT_EQ(device.calls, expected);
}

} // namespace
