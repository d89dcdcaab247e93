#include "app/run_folder.h"
#include "app/shared_state.h"
#include "port/library_loader.h"
#include "port/port_module.h"
#include "support/core_test.h"

#include <fstream>
#include <iterator>

using namespace lumivex;
using Texts = std::vector<std::string>;

namespace {

class PortModule : public CoreTest {
protected:
    // The texts of the notices shown since the last call, each checked to be the port module's.
    Texts port_notices() {
        for (const Notice& shown : notices.shown) {
            EXPECT_EQ(shown.caption, "Orvo_LPT-Port-Modul");
            EXPECT_EQ(shown.kind, app::NoticeKind::error);
            EXPECT_EQ(shown.owner, app::NoticeOwner::main_window);
        }
        const Texts texts = notice_texts();
        notices.shown.clear();
        return texts;
    }
};

TEST_F(PortModule, OpenClearsDataThenSetsControlIdleAndCloseKeepsTheUpperControlBits) {
    EXPECT_EQ(port::open_port(0x378), port::opened);
    EXPECT_EQ(port::close_port(0), -1); // base 0: no port
    port.inport_script = {0xE4};
    EXPECT_EQ(port::open_port(0x278), port::opened); // closes LPT1 first
    EXPECT_EQ(port::close_port(0x278), 0);
    EXPECT_EQ(port::close_port(0x278), -1);
    EXPECT_EQ(joined(trace),
              "LOAD drv/PORT.DLL | OPENCOM LPT1: | OUTPORT 378 00 | OUTPORT 37A 0B | "
              "OUTPORT 378 00 | INPORT 37A | OUTPORT 37A EB | CLOSECOM | RELEASE | "
              "LOAD drv/PORT.DLL | OPENCOM LPT2: | OUTPORT 278 00 | OUTPORT 27A 0B | "
              "OUTPORT 278 00 | INPORT 27A | OUTPORT 27A 0B | CLOSECOM | RELEASE");
    EXPECT_TRUE(notices.shown.empty());
}

TEST_F(PortModule, FailedOpensSayWhyAndLeaveNothingOpenOrLoaded) {
    open_lpt1();
    port.inport_script = {0x0B};
    port.loadable = false;
    app::set_program_folder("/opt/lumivex"); // looked in first
    EXPECT_EQ(port::open_port(0x378), port::library_missing);
    app::set_program_folder("");
    port.loadable = true;
    port.missing_exports = {"OUTPORT", "DELAY"}; // the first in lookup order decides, silently,
    EXPECT_EQ(port::open_port(0x3BC), port::delay_missing); // before the base address
    port.missing_exports.clear();
    EXPECT_EQ(port::open_port(0x3BC), port::base_not_defined);
    port.opencom_succeeds = false;
    EXPECT_EQ(port::open_port(0x278), port::device_not_opened);
    EXPECT_EQ(port::open_port(0x378), port::device_not_opened);
    EXPECT_EQ(joined(trace),
              "OUTPORT 378 00 | INPORT 37A | OUTPORT 37A 0B | CLOSECOM | RELEASE | "
              "LOAD /opt/lumivex/drv/PORT.DLL | LOAD drv/PORT.DLL | "
              "NOTICE Err1 - DLL-Error! - File not found! | LOAD drv/PORT.DLL | RELEASE | "
              "LOAD drv/PORT.DLL | RELEASE | NOTICE Err31 - BA n.def. | "
              "LOAD drv/PORT.DLL | OPENCOM LPT2: | RELEASE | NOTICE Err3 - Can't open LPT2! | "
              "LOAD drv/PORT.DLL | OPENCOM LPT1: | RELEASE | NOTICE Err3 - Can't open LPT1!");
    EXPECT_EQ(port_notices().size(), 4u);
    EXPECT_EQ(port::close_port(0x378), -1); // nothing left open
    port::wait_ms(1);                       // waits take an open port as their condition too
    port::wait_us(10);
    EXPECT_EQ(port_notices(), (Texts{"Time-Err - Must open Port!", "Time-ErrU - Must open Port!"}));
}

TEST_F(PortModule, ReadsAndWritesNeedAnOpenPortARegisterAddressAndAValue) {
    const std::string refused_read = "Err - No Port open!";
    const std::string refused_write = "Err - No Port open or wrong value!";
    app::current_base_address = 0x378; // set, but no library bound
    EXPECT_EQ(port::port_in(0x37A), -1);
    port::port_out(0x378, 0x12);
    EXPECT_EQ(port_notices(), (Texts{refused_read, refused_write}));

    open_lpt1();
    port.inport_script = {0x1A5};
    EXPECT_EQ(port::port_in(0x379), 0xA5); // the low eight bits
    EXPECT_EQ(port::port_in(2), -1);
    port::port_out(2, 0x12);
    port::port_out(0x378, -1);
    port::port_out(0x378, 0xFF);
    port::wait_ms(3000);
    port::wait_us(10);
    EXPECT_EQ(trace, (Trace{inport(0x379), notice(refused_read), notice(refused_write),
                            notice(refused_write), dr(0xFF), delay(3000), "DELAYUS 10"}));
    EXPECT_EQ(port_notices().size(), 3u);
}

TEST_F(PortModule, LedTestRunsItsPatternsAndRestoresTheData) {
    EXPECT_EQ(port::run_led_test(0x378), -1); // nothing open: silently
    open_lpt1();
    EXPECT_EQ(port::run_led_test(0), -1);
    EXPECT_TRUE(trace.empty());
    port.inport_script = {0x5A};
    EXPECT_EQ(port::run_led_test(0x378), 0);

    Trace expected{inport(0x378)};
    const auto show = [&](std::initializer_list<int> patterns, int ms) {
        for (int pattern : patterns) {
            expected.push_back(dr(pattern));
            if (ms > 0)
                expected.push_back(delay(ms));
        }
    };
    show({0xA5, 0x5A, 0xA5, 0x5A, 0xAA, 0x55, 0xAA, 0x55}, 400);
    show({0x00}, 0);
    show({0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02}, 100);
    show({0x00}, 0);
    show({0x01, 0x03, 0x07, 0x0F, 0x1F, 0x3F, 0x7F, 0xFF}, 100);
    expected.push_back(delay(700));
    show({0x00, 0xFF, 0x00}, 400);
    show({0x5A}, 0);
    EXPECT_EQ(trace, expected);
    EXPECT_TRUE(notices.shown.empty());
}

TEST_F(PortModule, DataDirectionSetsOrClearsControlBitFive) {
    EXPECT_EQ(port::set_data_direction(0x378, 1), -1); // nothing open
    open_lpt1();
    EXPECT_EQ(port::set_data_direction(0, 1), -1);
    port.inport_script = {0xCB, 0xFB};
    EXPECT_EQ(port::set_data_direction(0x378, 1), 0);
    EXPECT_EQ(port::set_data_direction(0x378, 0), 0);
    EXPECT_EQ(trace, (Trace{inport(0x37A), cr(0xEB), inport(0x37A), cr(0xDB)}));
    EXPECT_TRUE(notices.shown.empty());
}

} // namespace

// The system's loader maps a library at load, finds its exports by their plain names, and
// unmaps it again at release.
TEST(SystemLibraryLoader, LoadsFindsAndReleases) {
    const auto mapped = [] {
        std::ifstream maps("/proc/self/maps");
        const std::string text{std::istreambuf_iterator<char>(maps), {}};
        return text.find(RECORDING_PORT_LIBRARY) != std::string::npos;
    };
    port::LibraryLoader& loader = port::system_library_loader();
    EXPECT_EQ(loader.load("no/such/PORT.DLL"), nullptr);
    const port::LibraryHandle library = loader.load(RECORDING_PORT_LIBRARY);
    ASSERT_NE(library, nullptr);
    EXPECT_TRUE(mapped());
    EXPECT_NE(loader.find(library, "OUTPORT"), nullptr);
    EXPECT_EQ(loader.find(library, "OUTPORT@8"), nullptr);
    loader.release(library);
    EXPECT_FALSE(mapped());
}
