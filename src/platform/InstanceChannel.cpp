#include "platform/InstanceChannel.h"

#include "platform/DBusInstanceChannel.h"
#include "platform/LockFileInstanceChannel.h"

const QString InstanceChannel::busName = QStringLiteral("org.codeplexor.CodePlexor");

std::unique_ptr<InstanceChannel> InstanceChannel::create(const QString& lockFolder)
{
    const QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected())
        return std::make_unique<DBusInstanceChannel>(bus);
    return std::make_unique<LockFileInstanceChannel>(lockFolder);
}
