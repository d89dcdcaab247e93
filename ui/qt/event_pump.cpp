#include "ui/qt/event_pump.h"

#include <QCoreApplication>
#include <QElapsedTimer>

namespace lumivex::qt {

namespace {
constexpr qint64 frame_ns = 16'666'667;
}

void pump_events_between_waits() {
    static QElapsedTimer since_last_pump;
    if (since_last_pump.isValid() && since_last_pump.nsecsElapsed() < frame_ns)
        return;
    since_last_pump.start();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

} // namespace lumivex::qt
