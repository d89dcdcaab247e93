#include "app/run_folder.h"
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
        for (const Notice& shown : notices.shown)
            EXPECT_EQ(shown, (Notice{app::NoticeOwner::main_window, shown.text,
                                     "Orvo_LPT-Port-Modul", app::NoticeKind::error}));
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
    EXPECT_EQ(brief(trace), "LOAD drv/PORT.DLL|OPENCOM LPT1:|D00|C0B|D00|C?|CEB|CLOSECOM|RELEASE|"
                            "LOAD drv/PORT.DLL|OPENCOM LPT2:|OUTPORT 278 00|OUTPORT 27A 0B|"
                            "OUTPORT 278 00|INPORT 27A|OUTPORT 27A 0B|CLOSECOM|RELEASE");
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
    port.missing_exports = {"LASTERROR"}; // optional: without it, the notice alone
    EXPECT_EQ(port::open_port(0x3BC), port::base_not_defined);
    port.opencom_succeeds = false;
    port.reason = "lumivex test: LPT2: busy\r\n"; // shown without the line break
    EXPECT_EQ(port::open_port(0x378), port::device_not_opened);
    port.missing_exports.clear(); // its reason below the notice, asked before the release
    EXPECT_EQ(port::open_port(0x278), port::device_not_opened);
    EXPECT_EQ(brief(trace),
              "D00|C?|C0B|CLOSECOM|RELEASE|LOAD /opt/lumivex/drv/PORT.DLL|LOAD drv/PORT.DLL|"
              "N:Err1 - DLL-Error! - File not found!\ndrv/PORT.DLL: cannot open shared object "
              "file: No such file or directory|" // where no file is, the last path tried
              "LOAD drv/PORT.DLL|RELEASE|LOAD drv/PORT.DLL|RELEASE|N:Err31 - BA n.def.|"
              "LOAD drv/PORT.DLL|OPENCOM LPT1:|RELEASE|N:Err3 - Can't open LPT1!|"
              "LOAD drv/PORT.DLL|OPENCOM LPT2:|RELEASE|"
              "N:Err3 - Can't open LPT2!\nlumivex test: LPT2: busy");
    EXPECT_EQ(port_notices().size(), 4u);
    EXPECT_EQ(port::close_port(0x378), -1); // nothing left open
    port::wait_ms(1);                       // waits take an open port as their condition too
    port::wait_us(10);
    EXPECT_EQ(port_notices(), (Texts{"Time-Err - Must open Port!", "Time-ErrU - Must open Port!"}));
    port.reason = "x" + std::string(1019, '-') + "\u00fc\u20ac"; // cut in the euro sign
    EXPECT_EQ(port::open_port(0x378), port::device_not_opened);
    EXPECT_EQ(port_notices(),
              (Texts{"Err3 - Can't open LPT1!\nx" + std::string(1019, '-') + "\u00fc"}));
}

TEST_F(PortModule, ReadsAndWritesNeedAnOpenPortARegisterAddressAndAValue) {
    const std::string read = "Err - No Port open!", write = "Err - No Port open or wrong value!";
    app::current_base_address = 0x378; // set, but no library bound
    EXPECT_EQ(port::port_in(0x37A), -1);
    port::port_out(0x378, 0x12);
    EXPECT_EQ(port_notices(), (Texts{read, write}));
    open_lpt1();
    port.inport_script = {0x1A5};
    EXPECT_EQ(port::port_in(0x379), 0xA5); // the low eight bits
    EXPECT_EQ(port::port_in(2), -1);
    port::port_out(2, 0x12);
    port::port_out(0x378, -1);
    port::port_out(0x378, 0xFF);
    port::wait_ms(3000);
    port::wait_us(10);
    EXPECT_EQ(brief(trace),
              "S?|N:" + read + "|N:" + write + "|N:" + write + "|DFF|w3000|DELAYUS 10");
    EXPECT_EQ(port_notices().size(), 3u);
}

TEST_F(PortModule, LedTestAndDataDirectionNeedAnOpenPortAndRestoreTheRegister) {
    EXPECT_EQ(port::run_led_test(0x378), -1); // nothing open: silently
    EXPECT_EQ(port::set_data_direction(0x378, 1), -1);
    open_lpt1();
    EXPECT_EQ(port::run_led_test(0), -1);
    EXPECT_TRUE(trace.empty());
    port.inport_script = {0x5A};
    EXPECT_EQ(port::run_led_test(0x378), 0);
    EXPECT_EQ(brief(trace),
              "D?|DA5|w400|D5A|w400|DA5|w400|D5A|w400|DAA|w400|D55|w400|DAA|w400|D55|w400|D00|"
              "D01|w100|D02|w100|D04|w100|D08|w100|D10|w100|D20|w100|D40|w100|D80|w100|D40|w100|"
              "D20|w100|D10|w100|D08|w100|D04|w100|D02|w100|D00|D01|w100|D03|w100|D07|w100|D0F|"
              "w100|D1F|w100|D3F|w100|D7F|w100|DFF|w100|w700|D00|w400|DFF|w400|D00|w400|D5A");
    trace.clear();
    EXPECT_EQ(port::set_data_direction(0, 1), -1);
    port.inport_script = {0xCB, 0xFB}; // bit five set or cleared
    EXPECT_EQ(port::set_data_direction(0x378, 1), 0);
    EXPECT_EQ(port::set_data_direction(0x378, 0), 0);
    EXPECT_EQ(brief(trace), "C?|CEB|C?|CDB");
    EXPECT_TRUE(notices.shown.empty());
}

} // namespace

// The system's loader maps a library, finds exports by their plain names and unmaps it; it
// says why a load failed.
TEST(SystemLibraryLoader, LoadsFindsAndReleases) {
    const auto mapped = [] {
        std::ifstream maps("/proc/self/maps");
        const std::string text{std::istreambuf_iterator<char>(maps), {}};
        return text.find(RECORDING_PORT_LIBRARY) != std::string::npos;
    };
    port::LibraryLoader& loader = port::system_library_loader();
    EXPECT_EQ(loader.load("no/such/PORT.DLL"), nullptr);
    EXPECT_EQ(loader.last_error(),
              "no/such/PORT.DLL: cannot open shared object file: No such file or directory");
    const port::LibraryHandle library = loader.load(RECORDING_PORT_LIBRARY);
    ASSERT_NE(library, nullptr);
    EXPECT_TRUE(mapped());
    EXPECT_NE(loader.find(library, "OUTPORT"), nullptr);
    EXPECT_EQ(loader.find(library, "OUTPORT@8"), nullptr);
    loader.release(library);
    EXPECT_FALSE(mapped());
}
