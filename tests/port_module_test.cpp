#include "app/run_folder.h"
#include "app/shared_state.h"
#include "port/port_module.h"
#include "support/core_test.h"

using namespace lumivex;
using app::NoticeKind;
using app::NoticeOwner;

namespace {

class PortModule : public CoreTest {
protected:
    // The one notice shown, with the port module's caption and kind.
    void expect_port_notice(const std::string& text) {
        ASSERT_EQ(notices.shown.size(), 1u);
        EXPECT_EQ(notices.shown[0].text, text);
        EXPECT_EQ(notices.shown[0].caption, "Orvo_LPT-Port-Modul");
        EXPECT_EQ(notices.shown[0].kind, NoticeKind::error);
        EXPECT_EQ(notices.shown[0].owner, NoticeOwner::main_window);
    }
};

const Trace close_of_lpt1{dr(0x00), inport(0x37A), cr(0x0B), "CLOSECOM", "RELEASE"};

TEST_F(PortModule, OpenWritesDataThenControlAndLooksUpTheExportsInOrder) {
    EXPECT_EQ(port::open_port(0x378), port::opened);
    EXPECT_EQ(trace, (Trace{"LOAD drv/PORT.DLL", "OPENCOM LPT1:", dr(0x00), cr(0x0B)}));
    EXPECT_EQ(port.looked_up, (std::vector<std::string>{"OPENCOM", "CLOSECOM", "DELAY", "DELAYUS",
                                                        "INPORT", "OUTPORT"}));
    EXPECT_TRUE(notices.shown.empty());
}

TEST_F(PortModule, OpenOfLpt2UsesItsOwnDeviceAndRegisters) {
    EXPECT_EQ(port::open_port(0x278), port::opened);
    EXPECT_EQ(trace, (Trace{"LOAD drv/PORT.DLL", "OPENCOM LPT2:", outport(0x278, 0x00),
                            outport(0x27A, 0x0B)}));
}

TEST_F(PortModule, MissingLibraryIsReportedAndNoExportIsLookedUp) {
    port.loadable = false;
    EXPECT_EQ(port::open_port(0x378), port::library_missing);
    expect_port_notice("Err1 - DLL-Error! - File not found!");
    EXPECT_TRUE(port.looked_up.empty());
    EXPECT_EQ(port::close_port(0x378), -1);
}

TEST_F(PortModule, LibraryIsLookedForInTheProgramsFolderThenTheCurrentOne) {
    app::set_program_folder("/opt/lumivex");
    port.loadable = false;
    EXPECT_EQ(port::open_port(0x378), port::library_missing);
    app::set_program_folder("");
    EXPECT_EQ(trace, (Trace{"LOAD /opt/lumivex/drv/PORT.DLL", "LOAD drv/PORT.DLL",
                            "NOTICE Err1 - DLL-Error! - File not found!"}));
}

TEST_F(PortModule, EachMissingExportHasItsStatusAndReleasesTheLibrarySilently) {
    const std::pair<const char*, int> exports[] = {
        {"OPENCOM", 201}, {"CLOSECOM", 202}, {"DELAY", 203},
        {"DELAYUS", 204}, {"INPORT", 205},   {"OUTPORT", 206},
    };
    for (const auto& [name, status] : exports) {
        SCOPED_TRACE(name);
        trace.clear();
        port.missing_exports = {name};
        EXPECT_EQ(port::open_port(0x378), status);
        EXPECT_EQ(trace, (Trace{"LOAD drv/PORT.DLL", "RELEASE"}));
        EXPECT_TRUE(notices.shown.empty());
    }
    // The first missing export in lookup order decides.
    port.missing_exports = {"OUTPORT", "DELAY"};
    EXPECT_EQ(port::open_port(0x378), port::delay_missing);
    EXPECT_EQ(port.loads, port.releases);
}

TEST_F(PortModule, UndefinedBaseIsRefusedAfterAllExportsWereFound) {
    EXPECT_EQ(port::open_port(0x3BC), port::base_not_defined);
    expect_port_notice("Err31 - BA n.def.");
    EXPECT_EQ(port.looked_up.size(), 6u);
    EXPECT_EQ(trace, (Trace{"LOAD drv/PORT.DLL", "RELEASE", notice("Err31 - BA n.def.")}));
}

TEST_F(PortModule, DeviceThatDoesNotOpenIsReportedAndNothingIsWritten) {
    port.opencom_succeeds = false;
    EXPECT_EQ(port::open_port(0x278), port::device_not_opened);
    expect_port_notice("Err3 - Can't open LPT2!");
    EXPECT_EQ(trace, (Trace{"LOAD drv/PORT.DLL", "OPENCOM LPT2:", "RELEASE",
                            notice("Err3 - Can't open LPT2!")}));

    notices.shown.clear();
    EXPECT_EQ(port::open_port(0x378), port::device_not_opened);
    expect_port_notice("Err3 - Can't open LPT1!");
    EXPECT_EQ(port::close_port(0x378), -1);
    EXPECT_EQ(port.loads, port.releases);
}

TEST_F(PortModule, CloseClearsDataSetsControlIdleKeepingUpperBitsAndReleases) {
    open_lpt1();
    port.inport_script = {0xE4};
    EXPECT_EQ(port::close_port(0x378), 0);
    EXPECT_EQ(trace, (Trace{dr(0x00), inport(0x37A), cr(0xEB), "CLOSECOM", "RELEASE"}));
    EXPECT_TRUE(notices.shown.empty());

    trace.clear();
    EXPECT_EQ(port::close_port(0x378), -1);
    EXPECT_TRUE(trace.empty());
    EXPECT_TRUE(notices.shown.empty());
}

TEST_F(PortModule, CloseWithBaseZeroDoesNothing) {
    open_lpt1();
    EXPECT_EQ(port::close_port(0), -1);
    EXPECT_TRUE(trace.empty());
}

TEST_F(PortModule, OpenWhileOpenClosesTheFirstDeviceProperly) {
    open_lpt1();
    port.inport_script = {0x0B};
    EXPECT_EQ(port::open_port(0x278), port::opened);
    Trace expected = close_of_lpt1;
    for (const char* line : {"LOAD drv/PORT.DLL", "OPENCOM LPT2:"})
        expected.push_back(line);
    expected.push_back(outport(0x278, 0x00));
    expected.push_back(outport(0x27A, 0x0B));
    EXPECT_EQ(trace, expected);
    EXPECT_EQ(port::close_port(0x278), 0);
    EXPECT_EQ(port.loads, port.releases);
}

TEST_F(PortModule, FailedReopenLeavesNothingOpenOrLoaded) {
    open_lpt1();
    port.opencom_succeeds = false;
    port.inport_script = {0x0B};
    EXPECT_EQ(port::open_port(0x378), port::device_not_opened);
    EXPECT_EQ(port::close_port(0x378), -1);
    EXPECT_EQ(port.loads, 2);
    EXPECT_EQ(port.releases, 2);
    // Waits take an open port as their condition too.
    notices.shown.clear();
    port::wait_ms(1);
    expect_port_notice("Time-Err - Must open Port!");
}

TEST_F(PortModule, WaitsWithoutPortAreRefused) {
    port::wait_ms(400);
    expect_port_notice("Time-Err - Must open Port!");
    notices.shown.clear();
    port::wait_us(10);
    expect_port_notice("Time-ErrU - Must open Port!");
    EXPECT_EQ(trace,
              (Trace{notice("Time-Err - Must open Port!"), notice("Time-ErrU - Must open Port!")}));
}

TEST_F(PortModule, WaitsWithPortCallTheLibrary) {
    open_lpt1();
    port::wait_ms(3000);
    port::wait_us(10);
    EXPECT_EQ(trace, (Trace{delay(3000), "DELAYUS 10"}));
}

TEST_F(PortModule, ReadsAreRefusedAtLowAddressesAndWithoutLibrary) {
    EXPECT_EQ(port::port_in(0x37A), -1); // base set, but no library bound
    expect_port_notice("Err - No Port open!");
    open_lpt1();
    EXPECT_EQ(port::port_in(2), -1);
    expect_port_notice("Err - No Port open!");
    EXPECT_EQ(trace, (Trace{notice("Err - No Port open!")}));
}

TEST_F(PortModule, ReadsKeepTheLowEightBits) {
    open_lpt1();
    port.inport_script = {0x1A5};
    EXPECT_EQ(port::port_in(0x379), 0xA5);
    EXPECT_EQ(trace, (Trace{inport(0x379)}));
}

TEST_F(PortModule, WritesRefuseLowAddressesAndTheValueMinusOne) {
    port::port_out(0x378, 0x12); // no library bound
    expect_port_notice("Err - No Port open or wrong value!");
    open_lpt1();
    port::port_out(0x378, -1);
    expect_port_notice("Err - No Port open or wrong value!");
    notices.shown.clear();
    port::port_out(2, 0x12);
    expect_port_notice("Err - No Port open or wrong value!");
    notices.shown.clear();
    port::port_out(0x378, 0xFF);
    EXPECT_TRUE(notices.shown.empty());
    EXPECT_EQ(trace, (Trace{notice("Err - No Port open or wrong value!"),
                            notice("Err - No Port open or wrong value!"), dr(0xFF)}));
}

TEST_F(PortModule, LedTestRunsTheWholePatternAndRestoresTheData) {
    open_lpt1();
    port.inport_script = {0x5A};
    EXPECT_EQ(port::run_led_test(0x378), 0);

    Trace expected{inport(0x378)};
    const auto show = [&](int pattern, int ms) {
        expected.push_back(dr(pattern));
        if (ms > 0)
            expected.push_back(delay(ms));
    };
    for (int pattern : {0xA5, 0x5A, 0xA5, 0x5A, 0xAA, 0x55, 0xAA, 0x55})
        show(pattern, 400);
    show(0x00, 0);
    for (int pattern :
         {0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02})
        show(pattern, 100);
    show(0x00, 0);
    for (int pattern : {0x01, 0x03, 0x07, 0x0F, 0x1F, 0x3F, 0x7F, 0xFF})
        show(pattern, 100);
    expected.push_back(delay(700));
    show(0x00, 400);
    show(0xFF, 400);
    show(0x00, 400);
    show(0x5A, 0);
    EXPECT_EQ(trace, expected);
    EXPECT_EQ(total_delay_ms(trace), 7300);
    EXPECT_TRUE(notices.shown.empty());
}

TEST_F(PortModule, LedTestWithoutPortReturnsSilently) {
    EXPECT_EQ(port::run_led_test(0), -1);
    EXPECT_EQ(port::run_led_test(0x378), -1); // base set while nothing is open
    EXPECT_TRUE(trace.empty());
    EXPECT_TRUE(notices.shown.empty());
}

TEST_F(PortModule, DataDirectionSetsAndClearsControlBitFive) {
    open_lpt1();
    port.inport_script = {0xCB, 0xFB};
    EXPECT_EQ(port::set_data_direction(0x378, 1), 0);
    EXPECT_EQ(port::set_data_direction(0x378, 0), 0);
    EXPECT_EQ(trace, (Trace{inport(0x37A), cr(0xEB), inport(0x37A), cr(0xDB)}));

    port::close_port(0x378);
    trace.clear();
    EXPECT_EQ(port::set_data_direction(0x378, 1), -1);
    EXPECT_EQ(port::set_data_direction(0, 1), -1);
    EXPECT_TRUE(trace.empty());
    EXPECT_TRUE(notices.shown.empty());
}

} // namespace
