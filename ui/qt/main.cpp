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
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <optional>
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

// $XDG_CONFIG_HOME/lumivex/lumivex.conf, or ~/.config/lumivex/lumivex.conf; a relative
// XDG_CONFIG_HOME does not count.
std::string setting_file_path() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config != nullptr && config[0] == '/')
        return std::string(config) + "/lumivex/lumivex.conf";
    const char* home = std::getenv("HOME");
    return std::string(home != nullptr ? home : "~") + "/.config/lumivex/lumivex.conf";
}

// The folder of the running program file, as Linux tells it.
std::string program_folder() {
    std::error_code error;
    return std::filesystem::read_symlink("/proc/self/exe", error).parent_path().string();
}

// Prints what a choice that ends the program before its dialog says; its exit code.
int end_before_dialog(const lumivex::app::StartChoice& choice) {
    const bool stopped = choice.action == lumivex::app::StartAction::stop;
    (stopped ? std::cerr : std::cout) << choice.text << '\n';
    return stopped ? 2 : 0;
}

} // namespace

int main(int argc, char* argv[]) {
    using namespace lumivex;
    app::set_program_folder(program_folder());
    // When every argument is the program's own, the choice is made before Qt starts, so --help,
    // --chosen-port and a wrong name need no display; otherwise Qt takes its options out first.
    const std::vector<std::string> given(argv + 1, argv + argc);
    std::optional<app::StartChoice> choice;
    if (std::all_of(given.begin(), given.end(), app::is_program_argument))
        choice = app::start_choice(given, setting_file_path());
    if (choice && choice->action != app::StartAction::open_dialog)
        return end_before_dialog(*choice);
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Lumivex"));
    // The dialog and every message box take this icon; desktops match the window to the
    // installed menu entry, lumivex.desktop.
    QApplication::setWindowIcon(qt::application_icon());
    QApplication::setDesktopFileName(QStringLiteral("lumivex"));
    if (!choice)
        choice = app::start_choice(program_arguments(), setting_file_path());
    if (choice->action != app::StartAction::open_dialog)
        return end_before_dialog(*choice);
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
