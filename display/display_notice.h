#pragma once

#include "app/notice.h"

namespace lumivex::display {

// The display driver's notices: caption of their own, no owner, no icon unless a question.
inline app::Answer display_notice(const char* text, app::NoticeKind kind = app::NoticeKind::plain) {
    return app::show_notice(app::NoticeOwner::main_window, text, "Orvo_LPTio_HD44780-Modul", kind);
}

} // namespace lumivex::display
