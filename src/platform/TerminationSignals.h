#pragma once

#include <QObject>

#include <memory>

class QSocketNotifier;

// Turns the signals that ask a process to end (SIGTERM, SIGINT and SIGHUP, which a session
// sends at logout) into a Qt signal on the thread that made this object, so the application can
// save its state and quit through its own event loop instead of dying where it stands.
//
// At most one watcher exists at a time. After the first of these signals the default actions
// come back, so a second one ends a process that does not manage to quit.
class TerminationSignals : public QObject {
    Q_OBJECT

public:
    explicit TerminationSignals(QObject* parent = nullptr);
    // Restores the default actions.
    ~TerminationSignals() override;

Q_SIGNALS:
    // Emitted from the event loop once one of the signals arrived.
    void terminationRequested(int signalNumber);

private:
    void readSignal();

    std::unique_ptr<QSocketNotifier> m_notifier;
};
