#include "app/notice.h"
#include "app/program.h"
#include "app/run_folder.h"
#include "port/port_module.h"
#include "ui/qt/application_icon.h"
#include "ui/qt/event_pump.h"
#include "ui/qt/message_box_notices.h"
#include "ui/qt/qt_dialog.h"
#include "ui/qt/termination_signals.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    using namespace lumivex;
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Lumivex"));
    // The dialog and every message box take this icon; desktops match the window to the
    // installed menu entry, lumivex.desktop.
    QApplication::setWindowIcon(qt::application_icon());
    QApplication::setDesktopFileName(QStringLiteral("lumivex"));
    app::set_program_folder(QCoreApplication::applicationDirPath().toStdString());
    // Until the port is closed, these signals end the program as the Exit button does.
    qt::TerminationSignals termination_signals;

    qt::MessageBoxNotices notices;
    app::set_notice_sink(&notices);
    port::set_wait_hook(qt::pump_events_between_waits);
    {
        qt::QtDialog dialog;
        QObject::connect(&termination_signals, &qt::TerminationSignals::received, &dialog,
                         &qt::QtDialog::request_exit);
        notices.set_dialog(&dialog);
        app::check_dialog_result(dialog.exec());
        notices.set_dialog(nullptr);
    }
    app::end_program();
    return 0;
}
