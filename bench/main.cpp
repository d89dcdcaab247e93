// lumivex-bench: the simulated port's display, LEDs and bus, in a window of their own.
#include "bench/bench_window.h"
#include "drv/sim/published_state.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("lumivex-bench"));
    lumivex::bench::BenchWindow window(lumivex::sim::published_state_name());
    window.resize(720, 640);
    window.show();
    return QApplication::exec();
}
