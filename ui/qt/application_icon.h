#pragma once

#include <QIcon>

namespace lumivex::qt {

// The program's icon, 32 and 16 pixels, compiled in from resources/icons/ so that it shows from
// the build folder as well as when installed.
QIcon application_icon();

} // namespace lumivex::qt
