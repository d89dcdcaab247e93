#pragma once

#include "ui/win32/win32_dialog.h"

namespace lumivex::win32 {

// The control dialog the procedure works on, for the notices it owns.
const Win32Dialog& control_dialog_view();

// The procedure DialogBoxParamA runs the control dialog with: it hands initialisation and
// commands to the portable handlers.
INT_PTR CALLBACK control_dialog_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

} // namespace lumivex::win32
