#include "support/core_test.h"

#include "app/shared_state.h"
#include "display/bus_cycles.h"
#include "port/lpt_wiring.h"
#include "port/port_module.h"

using namespace lumivex;

CoreTest::CoreTest() {
    port::use_library_loader(port);
    app::set_notice_sink(&notices);
    app::current_dialog = &dialog;
    app::current_base_address = 0;
    display::bus_width = display::BusWidth::four_bit;
}

CoreTest::~CoreTest() {
    port::close_port(lpt::lpt1_base_address);
    port::use_library_loader(port::system_library_loader());
    app::set_notice_sink(nullptr);
    app::current_dialog = nullptr;
    app::current_base_address = 0;
}

void CoreTest::open_lpt1() {
    app::current_base_address = lpt::lpt1_base_address;
    ASSERT_EQ(port::open_port(lpt::lpt1_base_address), port::opened);
    trace.clear();
    notices.shown.clear();
}

std::vector<std::string> CoreTest::notice_texts() const {
    std::vector<std::string> texts;
    for (const Notice& notice : notices.shown)
        texts.push_back(notice.text);
    return texts;
}
