#include "app/shared_state.h"

namespace lumivex::app {

int current_base_address = 0;
dialog::DialogView* current_dialog = nullptr;

} // namespace lumivex::app
