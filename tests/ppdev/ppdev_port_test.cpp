#include "drv/ppdev/interruptible_call.h"
#include "drv/ppdev/ppdev_port.h"
#include "support/port_mapping_test.h"

#include <cerrno>
#include <deque>
#include <linux/ppdev.h>
#include <map>
#include <sys/ioctl.h>
#include <unistd.h>

using namespace lumivex;

namespace {

using Calls = std::vector<std::string>;

// The kernel side as a script: the port is descriptor 3; records every call (bytes in decimal);
// each request fails with the errors queued under its name in turn, read requests answer from
// `results`. While `held`, PPCLAIM sleeps as the kernel's does when another has the port, until a
// signal interrupts it.
class FakeParportDevice final : public ppdev::ParportDevice {
public:
    Calls calls;
    int open_error = 0;
    std::map<std::string, std::deque<int>> errors;
    std::map<std::string, int> results;
    std::string holder_name;
    bool held = false;

    int open(const std::string& path) override {
        calls.push_back("open " + path);
        return open_error != 0 ? -open_error : 3;
    }
    int ioctl(int descriptor, unsigned long request, void* argument) override {
        static const std::map<unsigned long, std::string> names{
            {PPCLAIM, "PPCLAIM"},       {PPRELEASE, "PPRELEASE"},   {PPEXCL, "PPEXCL"},
            {PPWDATA, "PPWDATA"},       {PPRDATA, "PPRDATA"},       {PPRSTATUS, "PPRSTATUS"},
            {PPWCONTROL, "PPWCONTROL"}, {PPRCONTROL, "PPRCONTROL"}, {PPDATADIR, "PPDATADIR"}};
        const std::string& name = descriptor == 3 ? names.at(request) : "wrong descriptor";
        if (request == PPWDATA || request == PPWCONTROL)
            calls.push_back(name + " " + std::to_string(*static_cast<unsigned char*>(argument)));
        else if (request == PPDATADIR)
            calls.push_back(name + " " + std::to_string(*static_cast<int*>(argument)));
        else
            calls.push_back(name);
        if (std::deque<int>& queued = errors[name]; !queued.empty()) {
            const int error = queued.front();
            queued.pop_front();
            return error;
        }
        if (request == PPCLAIM && held)
            return pause() < 0 ? errno : 0; // pause() returns at a signal
        if (results.count(name) != 0)
            *static_cast<unsigned char*>(argument) = static_cast<unsigned char>(results[name]);
        return 0;
    }
    void close(int descriptor) override { calls.push_back(descriptor == 3 ? "close" : "wrong"); }
    std::string holder(const std::string&) override { return holder_name; }
};

using PpdevMapping = PortMappingTest<FakeParportDevice, ppdev::PpdevPort>;

TEST_F(PpdevMapping, EveryFailureSaysWhy) {
    const std::tuple<const char*, const char*, int, const char*> cases[] = {
        {"COM1:: unknown device name (LPT1: or LPT2:)", "COM1:", 0, ""},
        {"/dev/parport0: no such device; load the kernel modules parport_pc and ppdev (modprobe "
         "parport_pc ppdev)",
         "LPT1:", ENOENT, ""},
        {"/dev/parport0: permission denied; add your user to the group lp (usermod -aG lp $USER) "
         "and log in again",
         "LPT1:", EACCES, ""},
        {"/dev/parport0: no parallel port behind it; load the kernel module parport_pc (modprobe "
         "parport_pc)",
         "LPT1:", ENODEV, ""},
        {"/dev/parport0: in use: the printer driver \"lp\" holds the port (modprobe -r lp frees it "
         "when nothing is printing)",
         "LPT1:", 0, "lp"},
        {"/dev/parport0: in use: another driver holds the port", "LPT1:", 0, ""},
        {"/dev/parport0: PPDATADIR failed (Input/output error)", "LPT1:", 0, ""},
    };
    // lp shares the port and is printing (the claim was interrupted); then one has it alone.
    device.errors["PPCLAIM"] = {ENXIO, EINTR, ENXIO, ENXIO};
    device.errors["PPDATADIR"] = {EIO};
    for (const auto& [error, name, open_error, holder] : cases) {
        device.open_error = open_error;
        device.holder_name = holder;
        EXPECT_FALSE(mapping.open(name));
        EXPECT_EQ(mapping.error(), std::string("lumivex ppdev: ") + error);
    }
    EXPECT_EQ(device.calls.back(), "close");
    device.calls.clear();
    mapping.close(); // nothing was opened
    EXPECT_EQ(mapping.read(0x378), 0xFF);
    EXPECT_TRUE(device.calls.empty());
}

// The shared claim sleeps while another program holds the port: Open Port interrupts it, names
// the holder, and leaves the signal's handler as it was.
TEST(PpdevClaim, ASleepingClaimIsInterruptedAndTheHolderNamed) {
    FakeParportDevice device;
    ppdev::PpdevPort port(device, std::chrono::milliseconds(0));
    device.errors["PPCLAIM"] = {ENXIO};
    device.held = true;
    device.holder_name = "ppdev0";
    struct sigaction before = {}, after = {};
    sigaction(ppdev::interrupting_signal, nullptr, &before);
    EXPECT_FALSE(port.open("LPT1:"));
    sigaction(ppdev::interrupting_signal, nullptr, &after);
    EXPECT_EQ(after.sa_handler, before.sa_handler);
    EXPECT_EQ(port.error(), "lumivex ppdev: /dev/parport0: in use: another program holds the port "
                            "through ppdev (\"ppdev0\")");
    EXPECT_EQ(device.calls, (Calls{"open /dev/parport0", "PPEXCL", "PPCLAIM", "close",
                                   "open /dev/parport0", "PPCLAIM", "close"}));
}

// A refused transfer is told once (error() says it too), and nothing follows it until the port is
// opened again: after a failed PPDATADIR the port may still drive the data lines, so R/W must not
// rise.
TEST_F(PpdevMapping, ARefusedTransferIsToldOnceAndNothingFollowsIt) {
    const Calls sent{"PPWDATA 65", "PPDATADIR 1", "PPWCONTROL 10", "PPRSTATUS"};
    for (auto failing = sent.begin(); failing != sent.end(); ++failing) {
        const std::string request = failing->substr(0, failing->find(' '));
        ASSERT_TRUE(mapping.open("LPT1:"));
        device.calls.clear();
        device.errors[request] = {EIO};
        testing::internal::CaptureStderr();
        mapping.write(0x378, 0x41);
        mapping.write(0x37A, 0x2A); // data lines in, R/W high
        EXPECT_EQ(mapping.read(0x379), 0xFF);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), mapping.error() + "\n");
        EXPECT_EQ(mapping.error(),
                  "lumivex ppdev: /dev/parport0: " + request +
                      " failed (Input/output error); no line changes until the port is opened "
                      "again");
        EXPECT_EQ(device.calls, Calls(sent.begin(), failing + 1));
    }
}

// ppdev.conf names each port's device, and the environment one for a run over it; the shipped
// file names the built-in ones. The library reads it beside itself.
TEST_F(PpdevMapping, TheConfigurationNamesTheDevices) {
    std::string error;
    const auto paths = ppdev::parse_parport_paths("[lpt2]\ndevice = parport3", error);
    setenv("LUMIVEX_PPDEV_LPT1", "/dev/parport7", 1);
    EXPECT_TRUE(mapping.open("LPT1:", *paths) && mapping.open("LPT2:", *paths));
    unsetenv("LUMIVEX_PPDEV_LPT1");
    EXPECT_EQ(device.calls[0] + ", " + device.calls[6], "open /dev/parport7, open /dev/parport3");
    const auto shipped = ppdev::parse_parport_paths(file_text(PPDEV_CONF), error);
    EXPECT_EQ(shipped->lpt1 + " " + *shipped->lpt2, "/dev/parport0 /dev/parport1");
    EXPECT_FALSE(ppdev::parse_parport_paths("device =", error));
    EXPECT_EQ(error, "line 1: device = needs a device, such as /dev/parport0");
    EXPECT_EQ(refusal(PPDEV_PORT_LIBRARY, {{"drv/ppdev.conf", "device = /nonexistent/parport9"}}),
              "lumivex ppdev: /nonexistent/parport9: no such device; load the kernel modules "
              "parport_pc and ppdev (modprobe parport_pc ppdev)\n");
}

// Each register access is its ioctl, on a port shared with another driver: the kernel keeps CR
// bits 0..3 only; PPDATADIR carries bit 5 when it changes, before the control lines when the
// data lines turn to input and after them when they turn back; SR only reads, other addresses
// are not this port's. Opening another port releases this one.
TEST_F(PpdevMapping, EachRegisterAccessIsItsIoctl) {
    device.errors["PPCLAIM"] = {ENXIO}; // another driver has the port registered
    ASSERT_TRUE(mapping.open("LPT1:"));
    device.results = {{"PPRDATA", 0x5A}, {"PPRSTATUS", 0x78}, {"PPRCONTROL", 0xFB}};
    mapping.write(0x378, 0x41);
    mapping.write(0x37A, 0x2F); // data lines in, E high
    mapping.write(0x37A, 0x2B);
    const int control_in = mapping.read(0x37A);
    mapping.write(0x37A, 0x0B);
    mapping.write(0x379, 0x12);
    mapping.write(0x27A, 0x01);
    EXPECT_EQ((std::vector{control_in, mapping.read(0x37A), mapping.read(0x378),
                           mapping.read(0x379), mapping.read(0x37B)}),
              (std::vector{0x2B, 0x0B, 0x5A, 0x78, 0xFF}));
    ASSERT_TRUE(mapping.open("LPT2:"));
    mapping.close();
    mapping.close();
    EXPECT_EQ(joined(device.calls),
              "open /dev/parport0 | PPEXCL | PPCLAIM | close | open /dev/parport0 | PPCLAIM | "
              "PPDATADIR 0 | PPWDATA 65 | PPDATADIR 1 | PPWCONTROL 15 | PPWCONTROL 11 | "
              "PPRCONTROL | PPWCONTROL 11 | PPDATADIR 0 | PPRCONTROL | PPRDATA | PPRSTATUS | "
              "PPRELEASE | close | open /dev/parport1 | PPEXCL | PPCLAIM | PPDATADIR 0 | "
              "PPRELEASE | close");
}

} // namespace
