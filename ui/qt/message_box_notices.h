#pragma once

#include "app/notice.h"

class QWidget;

namespace lumivex::qt {

// Notices as modal message boxes. Those the dialog owns are centred on it, the others on the
// screen; both kinds block input to the dialog while they are open.
class MessageBoxNotices final : public app::NoticeSink {
public:
    void set_dialog(QWidget* dialog) { dialog_ = dialog; }

    app::Answer show(app::NoticeOwner owner, std::string_view text, std::string_view caption,
                     app::NoticeKind kind) override;

private:
    QWidget* dialog_ = nullptr;
};

} // namespace lumivex::qt
