#pragma once

#include "platform/InstanceChannel.h"

#include <QDBusConnection>

// The instance owns InstanceChannel::busName on the session bus and serves the desktop's
// org.freedesktop.Application interface at /org/codeplexor/CodePlexor: Activate brings it to the
// front, Open opens the first local folder of its URIs. A later launch calls one of them.
class DBusInstanceChannel : public InstanceChannel {
    Q_OBJECT

public:
    explicit DBusInstanceChannel(const QDBusConnection& bus);
    ~DBusInstanceChannel() override;

    bool claim() override;
    bool handOver(const QString& folder) override;

private:
    QDBusConnection m_bus;
    bool m_registered = false;
};
