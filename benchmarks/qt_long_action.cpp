// Prints how much the dialog's event pumping stretches the long actions: the LED test and the
// demo, run from their buttons on the simulated port in real time, against their nominal
// waits. Run it under a display from a run folder, e.g.
//   cd build/default/stage && xvfb-run -a ../benchmarks/qt_long_action_benchmark
#include "app/notice.h"
#include "port/port_module.h"
#include "ui/qt/event_pump.h"
#include "ui/qt/message_box_notices.h"
#include "ui/qt/qt_dialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <cstdio>

namespace {

// Clicks a button of the shown dialog and returns how long its handler took, in seconds.
double seconds_for(lumivex::qt::QtDialog& dialog, int button) {
    QElapsedTimer timer;
    timer.start();
    qobject_cast<QAbstractButton*>(dialog.control(button))->click();
    return static_cast<double>(timer.nsecsElapsed()) / 1e9;
}

} // namespace

int main(int argc, char* argv[]) {
    using namespace lumivex;
    QApplication application(argc, argv);
    qt::MessageBoxNotices notices;
    app::set_notice_sink(&notices);
    port::set_wait_hook(qt::pump_events_between_waits);
    qt::QtDialog dialog;
    dialog.show();
    QCoreApplication::processEvents();

    seconds_for(dialog, 203); // Open Port
    const double led_test = seconds_for(dialog, 1405);
    std::printf("LED test: %.3f s for 7.300 s of waits, ratio %.4f\n", led_test, led_test / 7.3);
    // On a 4-bit bus: the initialisation's 79 ms, 188 write cycles of 8 ms, 12.501 s of its own.
    const double demo = seconds_for(dialog, 704);
    std::printf("demo: %.3f s for 14.020 s of waits, ratio %.4f\n", demo, demo / 14.02);
    seconds_for(dialog, 204); // Close Port
    return 0;
}
