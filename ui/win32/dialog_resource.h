#pragma once

#include "dialog/dialog_template.h"

#include <ostream>
#include <string>

namespace lumivex::win32 {

// The window styles of a control as a resource script writes them ("BS_PUSHBUTTON | ...").
std::string control_styles(const dialog::ControlTemplate& control);

// The dialog as a DIALOGEX statement of a resource script; the style names need <windows.h>.
void write_dialog_resource(std::ostream& script, const dialog::DialogTemplate& dialog);

} // namespace lumivex::win32
