#include "platform/DBusInstanceChannel.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QUrl>
#include <QVariantMap>

namespace {

const QString objectPath = QStringLiteral("/org/codeplexor/CodePlexor");
const QString applicationInterface = QStringLiteral("org.freedesktop.Application");
// A running instance answers at once; a hung one must not keep a launch waiting for long.
constexpr int callTimeoutMs = 10000;

} // namespace

// The object served on the bus; its slots are the interface's methods.
class DBusApplicationObject : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Application")

public:
    explicit DBusApplicationObject(InstanceChannel& channel)
        : m_channel(channel)
    {}

public Q_SLOTS:
    void Activate(const QVariantMap& platformData)
    {
        Q_UNUSED(platformData);
        Q_EMIT m_channel.activationRequested(QString());
    }

    void Open(const QStringList& uris, const QVariantMap& platformData)
    {
        Q_UNUSED(platformData);
        QString folder;
        for (const QString& uri : uris) {
            const QUrl url(uri);
            if (url.isLocalFile()) {
                folder = url.toLocalFile();
                break;
            }
        }
        Q_EMIT m_channel.activationRequested(folder);
    }

    void ActivateAction(const QString& name, const QVariantList& parameter,
                        const QVariantMap& platformData)
    {
        // The application has no named actions; being asked for one still brings it forward.
        Q_UNUSED(name);
        Q_UNUSED(parameter);
        Activate(platformData);
    }

private:
    InstanceChannel& m_channel;
};

DBusInstanceChannel::DBusInstanceChannel(const QDBusConnection& bus)
    : m_bus(bus)
{}

DBusInstanceChannel::~DBusInstanceChannel()
{
    if (!m_registered)
        return;
    m_bus.unregisterService(busName);
    m_bus.unregisterObject(objectPath);
}

bool DBusInstanceChannel::claim()
{
    // The object is in place before the name is taken, so no call finds the name without it.
    auto* served = new DBusApplicationObject(*this);
    served->setParent(this);
    if (!m_bus.registerObject(objectPath, served, QDBusConnection::ExportAllSlots)) {
        delete served;
        return false;
    }
    const auto reply = m_bus.interface()->registerService(
        busName, QDBusConnectionInterface::DontQueueService,
        QDBusConnectionInterface::DontAllowReplacement);
    if (!reply.isValid() || reply.value() != QDBusConnectionInterface::ServiceRegistered) {
        m_bus.unregisterObject(objectPath);
        delete served;
        return false;
    }
    m_registered = true;
    return true;
}

bool DBusInstanceChannel::handOver(const QString& folder)
{
    QDBusMessage call;
    if (folder.isEmpty()) {
        call = QDBusMessage::createMethodCall(busName, objectPath, applicationInterface,
                                              QStringLiteral("Activate"));
        call << QVariantMap();
    } else {
        call = QDBusMessage::createMethodCall(busName, objectPath, applicationInterface,
                                              QStringLiteral("Open"));
        call << QStringList{QUrl::fromLocalFile(folder).toString(QUrl::FullyEncoded)}
             << QVariantMap();
    }
    const QDBusMessage reply = m_bus.call(call, QDBus::Block, callTimeoutMs);
    return reply.type() == QDBusMessage::ReplyMessage;
}

#include "DBusInstanceChannel.moc"
