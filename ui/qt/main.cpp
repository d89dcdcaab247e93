#include "app/notice.h"
#include "app/port_choice.h"
#include "app/program.h"
#include "app/run_folder.h"
#include "port/port_module.h"
#include "ui/qt/application_icon.h"
#include "ui/qt/event_pump.h"
#include "ui/qt/message_box_notices.h"
#include "ui/qt/qt_dialog.h"
#include "ui/qt/termination_signals.h"

#include <QApplication>
#include <QStandardPaths>
#include <iostream>
#include <string>
#include <vector>

namespace {

// The arguments after the program's name, once Qt has taken its own out.
std::vector<std::string> program_arguments() {
    std::vector<std::string> arguments;
    for (const QString& argument : QApplication::arguments().mid(1))
        arguments.push_back(argument.toStdString());
    return arguments;
}

// $XDG_CONFIG_HOME/lumivex/lumivex.conf, or ~/.config/lumivex/lumivex.conf.
std::string setting_file_path() {
    return (QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
            QStringLiteral("/lumivex/lumivex.conf"))
        .toStdString();
}

} // namespace

int main(int argc, char* argv[]) {
    using namespace lumivex;
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Lumivex"));
    // The dialog and every message box take this icon; desktops match the window to the
    // installed menu entry, lumivex.desktop.
    QApplication::setWindowIcon(qt::application_icon());
    QApplication::setDesktopFileName(QStringLiteral("lumivex"));
    app::set_program_folder(QCoreApplication::applicationDirPath().toStdString());
    const app::StartChoice choice = app::start_choice(program_arguments(), setting_file_path());
    if (choice.action == app::StartAction::stop) {
        std::cerr << choice.text << '\n';
        return 2;
    }
    if (choice.action != app::StartAction::open_dialog) {
        std::cout << choice.text << '\n';
        return 0;
    }
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
