#include "drv/common/signal_steps.h"

namespace lumivex::drv {

using lpt::DisplaySignals;

std::vector<DisplaySignals> signal_steps(const DisplaySignals& from, const DisplaySignals& to) {
    DisplaySignals e_unchanged = to;
    e_unchanged.e = from.e;
    if (from.e == to.e || e_unchanged == from)
        return {to};
    if (from.e) {
        DisplaySignals e_low = from;
        e_low.e = false;
        return {e_low, to};
    }
    return {e_unchanged, to};
}

} // namespace lumivex::drv
