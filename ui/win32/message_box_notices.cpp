#include "ui/win32/message_box_notices.h"

#include "ui/win32/ansi_text.h"

#include <windows.h>

namespace lumivex::win32 {

namespace {

UINT buttons_and_icon(app::NoticeKind kind) {
    switch (kind) {
    case app::NoticeKind::error:
        return MB_OK | MB_ICONERROR;
    case app::NoticeKind::information:
        return MB_OK | MB_ICONINFORMATION;
    case app::NoticeKind::plain:
        return MB_OK;
    case app::NoticeKind::question:
        return MB_YESNO;
    }
    return MB_OK;
}

} // namespace

app::Answer MessageBoxNotices::show(app::NoticeOwner owner, std::string_view text,
                                    std::string_view caption, app::NoticeKind kind) {
    const HWND owner_window = owner == app::NoticeOwner::dialog ? dialog_.window() : main_window_;
    const UINT style = buttons_and_icon(kind) | (owner_window == nullptr ? MB_TASKMODAL : 0);
    const int pressed =
        MessageBoxA(owner_window, to_ansi(text).c_str(), to_ansi(caption).c_str(), style);
    if (kind != app::NoticeKind::question)
        return app::Answer::ok;
    return pressed == IDNO ? app::Answer::no : app::Answer::yes;
}

} // namespace lumivex::win32
