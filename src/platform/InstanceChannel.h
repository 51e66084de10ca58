#pragma once

#include <QObject>
#include <QString>

#include <memory>

// One running copy of the application per user session, and the way a later launch reaches it:
// the first process claims the channel and receives the requests of every later launch, which
// hand over what they were asked to open and end.
class InstanceChannel : public QObject {
    Q_OBJECT

public:
    // The well-known name of the application on the session bus.
    static const QString busName;

    // Over the session bus where one is reachable; otherwise over a lock file and a local socket
    // in `lockFolder`.
    static std::unique_ptr<InstanceChannel> create(const QString& lockFolder);

    // True when this process is (from now on) the session's instance and receives
    // activationRequested; false when another instance already runs.
    virtual bool claim() = 0;
    // From a later launch: asks the running instance to bring its window to the front and, when
    // `folder` is not empty, open that folder. True once the instance has accepted.
    virtual bool handOver(const QString& folder) = 0;

Q_SIGNALS:
    // A later launch asked this instance to come to the front and open `folder` (empty: none).
    void activationRequested(const QString& folder);
};
