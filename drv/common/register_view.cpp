#include "drv/common/register_view.h"

namespace lumivex::drv {

using namespace lpt;

void RegisterView::write(int offset, std::uint8_t value) {
    if (offset == lpt::data_register)
        data_ = value;
    else if (offset == lpt::control_register)
        control_ = value & control_kept_bits;
}

DisplaySignals RegisterView::signals() const {
    DisplaySignals signals;
    signals.rw = (control_ & control_rw_low) == 0;
    signals.rs = (control_ & control_rs_low) == 0;
    signals.e = (control_ & control_e_high) != 0;
    signals.data = data_;
    signals.data_released = signals.rw || (control_ & control_data_input) != 0;
    return signals;
}

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

std::uint8_t status_register(std::uint8_t data_lines) {
    return static_cast<std::uint8_t>(status_idle_bits | status_from_data_lines(data_lines));
}

} // namespace lumivex::drv
