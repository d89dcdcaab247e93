#pragma once

#include "app/notice.h"
#include "ui/win32/win32_dialog.h"

namespace lumivex::win32 {

// Notices as MessageBoxA. Those the dialog owns have it as owner; the main window's have the
// main window once it is set, and none before: those are task-modal, so that they too block
// input to the dialog while they are open.
class MessageBoxNotices final : public app::NoticeSink {
public:
    explicit MessageBoxNotices(const Win32Dialog& dialog) : dialog_(dialog) {}

    void set_main_window(HWND window) { main_window_ = window; }

    app::Answer show(app::NoticeOwner owner, std::string_view text, std::string_view caption,
                     app::NoticeKind kind) override;

private:
    const Win32Dialog& dialog_;
    HWND main_window_ = nullptr;
};

} // namespace lumivex::win32
