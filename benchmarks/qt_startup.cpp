// Prints how long the program takes from process start until its dialog is shown, and how much
// memory it holds with the dialog open. Run it under a display, e.g.
//   xvfb-run -a build/default/benchmarks/qt_startup_benchmark
#include "app/notice.h"
#include "ui/qt/message_box_notices.h"
#include "ui/qt/qt_dialog.h"

#include <QApplication>
#include <QWindow>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <time.h>
#include <unistd.h>

namespace {

// Seconds since boot at which this process started, and now.
double process_start_seconds() {
    std::ifstream stat("/proc/self/stat");
    std::string line;
    std::getline(stat, line);
    std::istringstream fields(line.substr(line.rfind(')') + 2));
    std::string field;
    for (int i = 3; i <= 22; ++i) // field 22 is the start time in clock ticks
        fields >> field;
    return std::stod(field) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

double boot_clock_seconds() {
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

long resident_kib() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    return -1;
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    lumivex::qt::MessageBoxNotices notices;
    lumivex::app::set_notice_sink(&notices);
    lumivex::qt::QtDialog dialog;
    dialog.show();
    while (dialog.windowHandle() == nullptr || !dialog.windowHandle()->isExposed())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    QCoreApplication::processEvents();
    const double shown = boot_clock_seconds() - process_start_seconds();
    std::printf("start to dialog shown: %.0f ms (clock tick %ld ms)\n", shown * 1000,
                1000 / sysconf(_SC_CLK_TCK));
    std::printf("resident memory with the dialog open: %.1f MB\n",
                static_cast<double>(resident_kib()) / 1024);
    return 0;
}
