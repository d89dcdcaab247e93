#pragma once

#include <QObject>

class QSocketNotifier;

namespace lumivex::qt {

// SIGINT, SIGTERM and SIGHUP, turned into the Qt signal received(), which the event loop
// delivers: the handler itself only writes a byte to a pipe. While this object lives, none of
// them ends the process, however often it comes, so that the program can end as the Exit
// button ends it, with the port closed. One at a time; the earlier handlers return with its end.
class TerminationSignals final : public QObject {
    Q_OBJECT
public:
    TerminationSignals();
    ~TerminationSignals() override;
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

signals:
    void received();

private:
    void drain();

    QSocketNotifier* notifier_;
};

} // namespace lumivex::qt
