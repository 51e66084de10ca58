#pragma once

#include "platform/InstanceChannel.h"

class QLocalServer;

// Where no session bus is reachable: the instance holds an exclusive lock on
// `codeplexor.lock` in the given folder (released by the system however the process ends) and
// listens on the local socket `codeplexor.socket` beside it, where a later launch writes the
// folder to open and waits for the instance's answer.
class LockFileInstanceChannel : public InstanceChannel {
    Q_OBJECT

public:
    explicit LockFileInstanceChannel(const QString& folder);
    ~LockFileInstanceChannel() override;

    bool claim() override;
    bool handOver(const QString& folder) override;

private:
    void serve();

    QString m_lockPath;
    QString m_socketPath;
    int m_lockDescriptor = -1;
    QLocalServer* m_server = nullptr;
};
