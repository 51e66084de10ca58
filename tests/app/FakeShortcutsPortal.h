#pragma once

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QTimer>
#include <QVariantMap>

// The desktop portal's GlobalShortcuts interface as a small service on its own bus connection:
// it answers every request through a Request object's Response signal, as the real portal does,
// and lets the test pick the answer, change the keys and press the shortcut.
class FakeShortcutsPortal : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.GlobalShortcuts")
    Q_PROPERTY(uint version READ version)

public:
    using Shortcuts = QList<std::pair<QString, QVariantMap>>;

    enum class Answer { accept, refuse, cancel, never };

    static inline const QString service = QStringLiteral("org.freedesktop.portal.Desktop");
    static inline const QString path = QStringLiteral("/org/freedesktop/portal/desktop");
    static inline const QString interface =
        QStringLiteral("org.freedesktop.portal.GlobalShortcuts");

    // Serves on a connection of its own to the session bus, named `name`.
    explicit FakeShortcutsPortal(const QString& name)
        : m_connection(QDBusConnection::connectToBus(QDBusConnection::SessionBus, name))
    {
        qDBusRegisterMetaType<std::pair<QString, QVariantMap>>();
        qDBusRegisterMetaType<Shortcuts>();
        m_connection.registerObject(
            path, this, QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties);
        m_connection.registerService(service);
    }

    ~FakeShortcutsPortal() override
    {
        m_connection.unregisterService(service);
        m_connection.unregisterObject(path);
        QDBusConnection::disconnectFromBus(m_connection.name());
    }

    uint version() const { return 1; }

    Answer answer = Answer::accept;
    // The keys the desktop reports for every bound shortcut.
    QString trigger = QStringLiteral("Ctrl+Shift+K");
    // The shortcuts of the last BindShortcuts, and how many sessions there were.
    Shortcuts boundShortcuts;
    int sessions = 0;
    QString sessionPath;

    void activate(const QString& id, const QString& token = {})
    {
        send(path, interface, QStringLiteral("Activated"),
             {QVariant::fromValue(QDBusObjectPath(sessionPath)), id, qulonglong(0),
              QVariantMap{{QStringLiteral("activation_token"), token}}});
    }

    void changeTrigger(const QString& newTrigger)
    {
        trigger = newTrigger;
        send(path, interface, QStringLiteral("ShortcutsChanged"),
             {QVariant::fromValue(QDBusObjectPath(sessionPath)),
              QVariant::fromValue(withTriggers(boundShortcuts))});
    }

public Q_SLOTS:
    QDBusObjectPath CreateSession(const QVariantMap& options)
    {
        ++sessions;
        sessionPath = objectPath(QStringLiteral("session"),
                                 options.value(QStringLiteral("session_handle_token")).toString());
        // Sent as a string, as xdg-desktop-portal 1.16 does.
        return respond(options, {{QStringLiteral("session_handle"), sessionPath}});
    }

    // The list's type spelled out: QtDBus matches slots by the type names moc writes down.
    QDBusObjectPath BindShortcuts(const QDBusObjectPath&,
                                  const QList<std::pair<QString, QVariantMap>>& shortcuts,
                                  const QString&, const QVariantMap& options)
    {
        boundShortcuts = shortcuts;
        return respond(
            options, {{QStringLiteral("shortcuts"), QVariant::fromValue(withTriggers(shortcuts))}});
    }

private:
    void send(const QString& object, const QString& signalInterface, const QString& name,
              const QVariantList& arguments)
    {
        QDBusMessage signal = QDBusMessage::createSignal(object, signalInterface, name);
        signal.setArguments(arguments);
        m_connection.send(signal);
    }

    QString objectPath(const QString& kind, const QString& token) const
    {
        QString sender = message().service().mid(1);
        sender.replace(u'.', u'_');
        return path + u'/' + kind + u'/' + sender + u'/' + token;
    }

    QDBusObjectPath respond(const QVariantMap& options, const QVariantMap& results)
    {
        const QString request = objectPath(
            QStringLiteral("request"), options.value(QStringLiteral("handle_token")).toString());
        if (answer != Answer::never) {
            const uint code = answer == Answer::accept ? 0 : answer == Answer::cancel ? 1 : 2;
            QTimer::singleShot(0, this, [this, request, code, results] {
                send(request, QStringLiteral("org.freedesktop.portal.Request"),
                     QStringLiteral("Response"), {code, code == 0 ? results : QVariantMap()});
            });
        }
        return QDBusObjectPath(request);
    }

    Shortcuts withTriggers(Shortcuts shortcuts) const
    {
        for (auto& [id, properties] : shortcuts)
            properties = {
                {QStringLiteral("description"), properties.value(QStringLiteral("description"))},
                {QStringLiteral("trigger_description"), trigger}};
        return shortcuts;
    }

    QDBusConnection m_connection;
};
