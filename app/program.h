#pragma once

namespace lumivex::app {

// After the modal dialog returned: any result other than the Exit button's is reported.
void check_dialog_result(int result);

// The last step of every run: the port is closed (nothing happens when none is open).
void end_program();

} // namespace lumivex::app
