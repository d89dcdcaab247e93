#include "app/program.h"

#include "app/notice.h"
#include "app/shared_state.h"
#include "dialog/control_ids.h"
#include "port/port_module.h"

namespace lumivex::app {

void check_dialog_result(int result) {
    if (result != dialog::exit_result)
        show_notice(NoticeOwner::main_window, "Program-Error (ID: Dialog)", "Lumivex",
                    NoticeKind::information);
}

void end_program() {
    port::close_port(current_base_address);
}

} // namespace lumivex::app
