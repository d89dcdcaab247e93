#pragma once

#include "app/shared_state.h"
#include "display/bus_cycles.h"
#include "port/lpt_wiring.h"
#include "port/port_module.h"
#include "support/fakes.h"

#include <gtest/gtest.h>

// Puts the core on fakes: port library, notices and dialog; every test starts with no port
// open, base address 0 and a 4-bit bus, and ends with any port it opened closed again.
class CoreTest : public ::testing::Test {
protected:
    CoreTest() {
        lumivex::port::use_library_loader(port);
        lumivex::app::set_notice_sink(&notices);
        lumivex::app::current_dialog = &dialog;
        lumivex::app::current_base_address = 0;
        lumivex::display::bus_width = lumivex::display::BusWidth::four_bit;
    }
    ~CoreTest() override {
        lumivex::port::close_port(lumivex::lpt::lpt1_base_address);
        lumivex::port::use_library_loader(lumivex::port::system_library_loader());
        lumivex::app::set_notice_sink(nullptr);
        lumivex::app::current_dialog = nullptr;
        lumivex::app::current_base_address = 0;
    }

    // Opens LPT1 as the dialog does, then forgets what that put into the trace.
    void open_lpt1() {
        lumivex::app::current_base_address = lumivex::lpt::lpt1_base_address;
        ASSERT_EQ(lumivex::port::open_port(lumivex::lpt::lpt1_base_address), lumivex::port::opened);
        trace.clear();
        notices.shown.clear();
    }
    std::vector<std::string> notice_texts() const {
        std::vector<std::string> texts;
        for (const Notice& notice : notices.shown)
            texts.push_back(notice.text);
        return texts;
    }

    Trace trace;
    FakePortLibrary port{trace};
    RecordingNotices notices{trace};
    FakeDialog dialog;
};
