#include "app/shared_state.h"
#include "display/initialisation.h"
#include "drv/ppdev/ppdev_port.h"
#include "port/lpt_wiring.h"
#include "port/port_library.h"
#include "port/port_module.h"
#include "support/captured_stderr.h"
#include "support/core_test.h"
#include "support/mapping_loader.h"
#include "support/run_folder.h"

#include <cerrno>
#include <cstdio>
#include <linux/ppdev.h>
#include <map>
#include <sys/ioctl.h>

using namespace lumivex;

namespace {

// The kernel side as a script: records every call and answers from maps.
class FakeParportDevice final : public ppdev::ParportDevice {
public:
    std::vector<std::string> calls;
    std::map<std::string, int> open_errors;   // by path
    std::map<std::string, int> ioctl_errors;  // by request name, for every such call
    std::map<std::string, int> ioctl_results; // bytes the read requests return
    std::vector<int> claim_errors;            // for the PPCLAIMs in turn
    std::string holder_name;

    int open(const std::string& path) override {
        calls.push_back("open " + path);
        const auto error = open_errors.find(path);
        return error == open_errors.end() ? 0 : error->second;
    }
    int ioctl(unsigned long request, void* argument) override {
        const std::string name = request_name(request);
        std::string call = name;
        if (request == PPWDATA || request == PPWCONTROL) {
            char value[8];
            std::snprintf(value, sizeof value, " %02X", *static_cast<unsigned char*>(argument));
            call += value;
        } else if (request == PPDATADIR) {
            call += " " + std::to_string(*static_cast<int*>(argument));
        }
        calls.push_back(call);
        if (request == PPCLAIM && !claim_errors.empty()) {
            const int error = claim_errors.front();
            claim_errors.erase(claim_errors.begin());
            return error;
        }
        if (ioctl_errors.count(name) != 0)
            return ioctl_errors[name];
        if (request == PPRDATA || request == PPRSTATUS || request == PPRCONTROL)
            *static_cast<unsigned char*>(argument) =
                static_cast<unsigned char>(ioctl_results[name]);
        return 0;
    }
    void close() override { calls.push_back("close"); }
    std::string holder(const std::string&) override { return holder_name; }

private:
    static std::string request_name(unsigned long request) {
        const std::pair<unsigned long, const char*> names[] = {
            {PPCLAIM, "PPCLAIM"},       {PPRELEASE, "PPRELEASE"},   {PPEXCL, "PPEXCL"},
            {PPWDATA, "PPWDATA"},       {PPRDATA, "PPRDATA"},       {PPRSTATUS, "PPRSTATUS"},
            {PPWCONTROL, "PPWCONTROL"}, {PPRCONTROL, "PPRCONTROL"}, {PPDATADIR, "PPDATADIR"},
        };
        for (const auto& [code, name] : names)
            if (code == request)
                return name;
        return "unknown request";
    }
};

using Calls = std::vector<std::string>;
const Calls exclusive_claim{"open /dev/parport0", "PPEXCL", "PPCLAIM", "PPDATADIR 0"};

class PpdevMapping : public ::testing::Test {
protected:
    FakeParportDevice device;
    ppdev::PpdevPort port{device};

    void open_lpt1() {
        ASSERT_TRUE(port.open("LPT1:"));
        device.calls.clear();
    }
};

TEST_F(PpdevMapping, OpensTheDeviceOfEachPortAndClaimsItExclusively) {
    EXPECT_TRUE(port.open("LPT1:"));
    EXPECT_EQ(device.calls, exclusive_claim);
    device.calls.clear();
    EXPECT_TRUE(port.open("LPT2:")); // the open one is released first
    EXPECT_EQ(device.calls, (Calls{"PPRELEASE", "close", "open /dev/parport1", "PPEXCL", "PPCLAIM",
                                   "PPDATADIR 0"}));
}

TEST_F(PpdevMapping, EnvironmentNamesAnotherDevice) {
    setenv("LUMIVEX_PPDEV_LPT2", "/dev/parport3", 1);
    EXPECT_TRUE(port.open("LPT2:"));
    unsetenv("LUMIVEX_PPDEV_LPT2");
    EXPECT_EQ(device.calls.front(), "open /dev/parport3");
    EXPECT_EQ(ppdev::device_path("LPT2:"), "/dev/parport1");
}

TEST_F(PpdevMapping, SharesThePortWhenAnotherDriverHasItRegistered) {
    device.claim_errors = {ENXIO, 0};
    EXPECT_TRUE(port.open("LPT1:"));
    EXPECT_EQ(device.calls, (Calls{"open /dev/parport0", "PPEXCL", "PPCLAIM", "close",
                                   "open /dev/parport0", "PPCLAIM", "PPDATADIR 0"}));
}

TEST_F(PpdevMapping, EveryFailureSaysWhy) {
    const auto refusal = [&](const char* name) {
        EXPECT_FALSE(port.open(name));
        return port.error();
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
    device.claim_errors = {ENXIO, EBUSY};
    EXPECT_EQ(refusal("LPT1:"), "lumivex ppdev: /dev/parport0: busy: the driver \"lp\" holds "
                                "the port (modprobe -r lp frees it)");
    device.holder_name.clear();
    device.claim_errors = {EBUSY, EBUSY};
    EXPECT_EQ(refusal("LPT1:"), "lumivex ppdev: /dev/parport0: busy: another driver holds the "
                                "port");
    device.calls.clear();
    port.close(); // nothing was opened
    EXPECT_TRUE(device.calls.empty());
}

TEST_F(PpdevMapping, RegistersMapToTheirIoctls) {
    open_lpt1();
    device.ioctl_results = {{"PPRDATA", 0x5A}, {"PPRSTATUS", 0x78}, {"PPRCONTROL", 0x0B}};
    port.write(0x378, 0x41);
    port.write(0x37A, 0x0E);
    port.write(0x379, 0x12); // the status register only reads
    EXPECT_EQ(port.read(0x378), 0x5A);
    EXPECT_EQ(port.read(0x379), 0x78);
    EXPECT_EQ(port.read(0x37A), 0x0B);
    EXPECT_EQ(device.calls,
              (Calls{"PPWDATA 41", "PPWCONTROL 0E", "PPRDATA", "PPRSTATUS", "PPRCONTROL"}));
}

TEST_F(PpdevMapping, DirectionBitTravelsThroughPpdatadirAndReadsBack) {
    open_lpt1();
    device.ioctl_results["PPRCONTROL"] = 0x0B; // the kernel's copy: bits 0..3 only
    port.write(0x37A, 0x2B);
    EXPECT_EQ(port.read(0x37A), 0x2B);
    port.write(0x37A, 0x2F); // unchanged direction: no second PPDATADIR
    port.write(0x37A, 0x0B);
    EXPECT_EQ(port.read(0x37A), 0x0B);
    EXPECT_EQ(device.calls, (Calls{"PPDATADIR 1", "PPWCONTROL 0B", "PPRCONTROL", "PPWCONTROL 0F",
                                   "PPDATADIR 0", "PPWCONTROL 0B", "PPRCONTROL"}));
}

TEST_F(PpdevMapping, AddressesOutsideTheOpenPortAreIgnored) {
    EXPECT_EQ(port.read(0x378), 0xFF); // not open
    port.write(0x378, 0x01);
    open_lpt1();
    EXPECT_EQ(port.read(0x37B), 0xFF);
    EXPECT_EQ(port.read(0x278), 0xFF);
    port.write(0x377, 0x01);
    port.write(0x27A, 0x01);
    EXPECT_TRUE(device.calls.empty());
    device.ioctl_errors["PPRSTATUS"] = EIO;
    EXPECT_EQ(port.read(0x379), 0xFF);
}

TEST_F(PpdevMapping, CloseReleasesOnceAndReopenWorks) {
    open_lpt1();
    port.close();
    port.close();
    EXPECT_EQ(device.calls, (Calls{"PPRELEASE", "close"}));
    device.calls.clear();
    EXPECT_TRUE(port.open("LPT1:"));
    EXPECT_EQ(device.calls, exclusive_claim);
}

// The ioctls a trace of port-library calls at LPT1 must become.
Calls expected_ioctls(const Trace& trace) {
    Calls calls;
    for (const std::string& line : trace) {
        unsigned address = 0;
        unsigned value = 0;
        if (std::sscanf(line.c_str(), "OUTPORT %X %X", &address, &value) == 2) {
            char call[24];
            std::snprintf(call, sizeof call, address == 0x378 ? "PPWDATA %02X" : "PPWCONTROL %02X",
                          address == 0x378 ? value : value & 0x0F);
            calls.push_back(call);
        } else if (std::sscanf(line.c_str(), "INPORT %X", &address) == 1) {
            calls.push_back(address == 0x378   ? "PPRDATA"
                            : address == 0x379 ? "PPRSTATUS"
                                               : "PPRCONTROL");
        }
    }
    return calls;
}

class PpdevCore : public CoreTest {
protected:
    // Runs the sequence on the recording fake, then on the ppdev mapping; both must agree.
    template <typename Sequence> void expect_same_registers(Sequence sequence) {
        open_lpt1();
        sequence();
        const Calls expected = expected_ioctls(trace);
        port::close_port(lpt::lpt1_base_address);

        FakeParportDevice device;
        ppdev::PpdevPort ppdev_port(device);
        MappingLoader loader(ppdev_port);
        port::use_library_loader(loader);
        ASSERT_EQ(port::open_port(lpt::lpt1_base_address), port::opened);
        device.calls.clear();
        sequence();
        EXPECT_EQ(device.calls, expected);
        port::close_port(lpt::lpt1_base_address);
        port::use_library_loader(port);
    }
};

TEST_F(PpdevCore, LedTestReachesTheDataIoctlsInOrder) {
    expect_same_registers([] { port::run_led_test(lpt::lpt1_base_address); });
}

TEST_F(PpdevCore, FourBitInitialisationReachesTheControlAndDataIoctlsInOrder) {
    expect_same_registers([] { display::initialise_display(display::BusWidth::four_bit); });
}

// The real library, loaded by the program, for a device that is not there.
using PpdevLibrary = CoreTest;

TEST_F(PpdevLibrary, MissingDeviceGivesTheProgramsNoticeAndOneLine) {
    const RunFolder folder;
    folder.install_port_library(PPDEV_PORT_LIBRARY);
    port::use_library_loader(port::system_library_loader());
    setenv("LUMIVEX_PPDEV_LPT1", "/nonexistent/parport0", 1);

    int status = 0;
    const std::string output =
        captured_stderr([&] { status = port::open_port(lpt::lpt1_base_address); });
    unsetenv("LUMIVEX_PPDEV_LPT1");

    EXPECT_EQ(status, port::device_not_opened);
    EXPECT_EQ(notice_texts(), std::vector<std::string>{"Err3 - Can't open LPT1!"});
    EXPECT_EQ(output, "lumivex ppdev: /nonexistent/parport0: no such device; load the kernel "
                      "modules parport_pc and ppdev (modprobe parport_pc ppdev)\n");
}

} // namespace
