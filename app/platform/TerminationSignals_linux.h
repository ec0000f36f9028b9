#pragma once

#include <QObject>

class QSocketNotifier;

namespace korvane {

// SIGTERM, SIGINT and SIGHUP (a logout, Ctrl+C in a terminal, a closed
// terminal) reach the program as `received` on its own thread, so that it
// ends the way "Quit" ends it: a running cleanup stops at a safe point and is
// recorded. One at a time; the earlier handlers come back when it goes.
class TerminationSignals : public QObject {
    Q_OBJECT
public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

signals:
    void received();

private:
    QSocketNotifier* notifier_ = nullptr;
};

}  // namespace korvane
