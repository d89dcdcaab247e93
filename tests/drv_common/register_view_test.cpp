#include "drv/common/register_view.h"

#include <gtest/gtest.h>

using lumivex::drv::DisplaySignals;

namespace {

// E falls before the other levels change and rises after them; the data lines are let go while
// R/W is high or CR bit 5 asks for input.
TEST(RegisterView, EFramesEveryOtherChange) {
    const DisplaySignals idle{};
    const DisplaySignals read{true, false, false, 0, true};
    const DisplaySignals read_e_high{true, false, true, 0, true};
    struct Case {
        DisplaySignals from, to;
        std::vector<DisplaySignals> steps;
    };
    const Case cases[] = {
        {idle, read, {read}},
        {idle, read_e_high, {read, read_e_high}},
        {read_e_high, read, {read}},
        {read_e_high, idle, {read, idle}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(lumivex::drv::signal_steps(c.from, c.to), c.steps);
    lumivex::drv::RegisterView view;
    view.write(lumivex::lpt::control_register, 0x6B);
    EXPECT_EQ(view.signals(), (DisplaySignals{false, false, false, 0, true}));
    EXPECT_EQ(view.control_register(), 0x2B);
}

} // namespace
