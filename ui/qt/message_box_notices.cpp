#include "ui/qt/message_box_notices.h"

#include "ui/qt/qt_text.h"

#include <QMessageBox>

namespace lumivex::qt {

namespace {

QMessageBox::Icon icon_of(app::NoticeKind kind) {
    switch (kind) {
    case app::NoticeKind::error:
        return QMessageBox::Critical;
    case app::NoticeKind::information:
        return QMessageBox::Information;
    case app::NoticeKind::plain:
    case app::NoticeKind::question:
        break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

app::Answer MessageBoxNotices::show(app::NoticeOwner owner, std::string_view text,
                                    std::string_view caption, app::NoticeKind kind) {
    const bool question = kind == app::NoticeKind::question;
    QMessageBox box(icon_of(kind), to_qstring(caption), to_qstring(text),
                    question ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok,
                    owner == app::NoticeOwner::dialog ? dialog_ : nullptr);
    box.setWindowModality(Qt::ApplicationModal);
    const int pressed = box.exec();
    if (!question)
        return app::Answer::ok;
    return pressed == QMessageBox::No ? app::Answer::no : app::Answer::yes;
}

} // namespace lumivex::qt
