#include "KeyboardShortcuts/PortalHotKeyBackend.h"

#include "KeyboardShortcuts/KeyPositions.h"
#include "KeyboardShortcuts/ModifierFlags.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>

#include <xkbcommon/xkbcommon.h>

namespace KeyboardShortcuts {

namespace {

const QString portalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString shortcutsInterface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
const QString requestInterface = QStringLiteral("org.freedesktop.portal.Request");
const QString sessionInterface = QStringLiteral("org.freedesktop.portal.Session");
// The last element of the session's path; a desktop that names its list of this program's
// shortcuts after it (KDE) keeps the same list from run to run.
const QString sessionToken = QStringLiteral("codeplexor");

// Request answers: 0 success, 1 the user cancelled, 2 anything else.
constexpr uint responseSuccess = 0;
constexpr uint responseCancelled = 1;

using PortalShortcutList = QList<std::pair<QString, QVariantMap>>;

// The key symbol names of a US keyboard, the names the XDG shortcut form uses.
QString keySymbolName(quint32 xKeyCode)
{
    static xkb_context* context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    static xkb_keymap* keymap = [] {
        const xkb_rule_names names{nullptr, nullptr, "us", nullptr, nullptr};
        return context ? xkb_keymap_new_from_names(context, &names, XKB_KEYMAP_COMPILE_NO_FLAGS)
                       : nullptr;
    }();
    if (!keymap)
        return {};
    const xkb_keysym_t* symbols = nullptr;
    if (xkb_keymap_key_get_syms_by_level(keymap, xKeyCode, 0, 0, &symbols) < 1)
        return {};
    char name[64];
    if (xkb_keysym_get_name(symbols[0], name, sizeof name) <= 0)
        return {};
    return QString::fromLatin1(name);
}

PortalShortcutList shortcutsFrom(const QVariant& value)
{
    PortalShortcutList list;
    if (value.canConvert<QDBusArgument>())
        value.value<QDBusArgument>() >> list;
    return list;
}

} // namespace

PortalHotKeyBackend::PortalHotKeyBackend(const QDBusConnection& connection, QObject* parent)
    : HotKeyBackend(parent)
    , m_connection(connection)
    , m_description(QCoreApplication::applicationName())
{
    qDBusRegisterMetaType<std::pair<QString, QVariantMap>>();
    qDBusRegisterMetaType<PortalShortcutList>();
    m_answerTimer.setSingleShot(true);
    m_answerTimer.setInterval(defaultAnswerTimeout);
    connect(&m_answerTimer, &QTimer::timeout, this, [this] {
        m_connection.disconnect(portalService, m_requestPath, requestInterface,
                                QStringLiteral("Response"), this,
                                SLOT(onResponse(uint, QVariantMap)));
        m_requestPath.clear();
        setState(State::unavailable);
    });
    // The signals are read from their messages: QtDBus does not match slots with these
    // argument types by signature.
    m_connection.connect(portalService, portalPath, shortcutsInterface, QStringLiteral("Activated"),
                         this, SLOT(onActivated(QDBusMessage)));
    m_connection.connect(portalService, portalPath, shortcutsInterface,
                         QStringLiteral("ShortcutsChanged"), this,
                         SLOT(onShortcutsChanged(QDBusMessage)));
}

PortalHotKeyBackend::~PortalHotKeyBackend()
{
    closeSession();
}

bool PortalHotKeyBackend::isOffered(const QDBusConnection& connection, int timeout)
{
    if (!connection.isConnected())
        return false;
    QDBusMessage get = QDBusMessage::createMethodCall(
        portalService, portalPath, QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("Get"));
    get << shortcutsInterface << QStringLiteral("version");
    // Events go on while waiting, so a portal served by this process can answer too.
    const QDBusMessage reply = connection.call(get, QDBus::BlockWithGui, timeout);
    return reply.type() == QDBusMessage::ReplyMessage;
}

QString PortalHotKeyBackend::preferredTrigger(const Shortcut& shortcut)
{
    const qint64 modifiers = normalizedCarbonModifiers(shortcut.carbonModifiers());
    const std::optional<quint32> xKeyCode = KeyPositions::xKeyCode(shortcut.carbonKeyCode());
    if (!xKeyCode || (modifiers & CarbonModifier::function))
        return {};
    const QString key = keySymbolName(*xKeyCode);
    if (key.isEmpty())
        return {};
    QStringList parts;
    if (modifiers & CarbonModifier::command)
        parts << QStringLiteral("CTRL");
    if (modifiers & CarbonModifier::option)
        parts << QStringLiteral("ALT");
    if (modifiers & CarbonModifier::shift)
        parts << QStringLiteral("SHIFT");
    if (modifiers & CarbonModifier::control)
        parts << QStringLiteral("LOGO");
    parts << key;
    return parts.join(u'+');
}

QString PortalHotKeyBackend::shortcutId(const Shortcut& shortcut)
{
    return QStringLiteral("hotkey-%1-%2")
        .arg(shortcut.carbonKeyCode())
        .arg(normalizedCarbonModifiers(shortcut.carbonModifiers()));
}

int PortalHotKeyBackend::registerHotKey(quint32 id, const Shortcut& shortcut)
{
    if (preferredTrigger(shortcut).isEmpty())
        return invalidParameter;
    for (const auto& [otherId, other] : m_hotKeys) {
        if (otherId != id && shortcutId(other) == shortcutId(shortcut))
            return hotKeyExists;
    }
    m_hotKeys.insert_or_assign(id, shortcut);
    scheduleBind();
    return noError;
}

void PortalHotKeyBackend::unregisterHotKey(quint32 id)
{
    if (m_hotKeys.erase(id))
        scheduleBind();
}

bool PortalHotKeyBackend::isTakenBySystem(const Shortcut&)
{
    return false;
}

void PortalHotKeyBackend::setDescription(const QString& description)
{
    if (m_description == description)
        return;
    m_description = description;
    if (!m_hotKeys.empty())
        scheduleBind();
}

QString PortalHotKeyBackend::triggerDescription(quint32 id) const
{
    const auto found = m_hotKeys.find(id);
    return found == m_hotKeys.end() ? QString() : m_triggers.value(shortcutId(found->second));
}

QString PortalHotKeyBackend::statusText() const
{
    switch (m_state) {
    case State::idle:
        return {};
    case State::binding:
        return tr("Asking the desktop to set up the shortcut...");
    case State::bound: {
        QStringList triggers;
        for (const auto& [id, shortcut] : m_hotKeys) {
            const QString trigger = m_triggers.value(shortcutId(shortcut));
            if (!trigger.isEmpty() && !triggers.contains(trigger))
                triggers << trigger;
        }
        if (triggers.isEmpty())
            return tr("The desktop gave this shortcut no keys; choose them in the desktop's "
                      "shortcut settings.");
        return tr("The desktop runs this shortcut with %1.").arg(triggers.join(QStringLiteral(", ")));
    }
    case State::cancelled:
        return tr("The desktop's dialog was cancelled, so the shortcut is not active. Record it "
                  "again to be asked once more.");
    case State::refused:
        return tr("The desktop refused the global shortcut.");
    case State::unavailable:
        return tr("This desktop does not offer global shortcuts to applications.");
    }
    return {};
}

void PortalHotKeyBackend::setState(State state)
{
    if (state != State::binding)
        m_answerTimer.stop();
    if (m_state == state)
        return;
    m_state = state;
    Q_EMIT statusChanged();
}

void PortalHotKeyBackend::scheduleBind()
{
    if (m_bindScheduled)
        return;
    // Changes made in one turn of the event loop (an unregister and a register when a shortcut
    // is replaced) go to the portal as one binding.
    m_bindScheduled = true;
    QMetaObject::invokeMethod(this, &PortalHotKeyBackend::bind, Qt::QueuedConnection);
}

void PortalHotKeyBackend::closeSession()
{
    if (m_sessionPath.isEmpty())
        return;
    m_connection.asyncCall(QDBusMessage::createMethodCall(portalService, m_sessionPath,
                                                          sessionInterface,
                                                          QStringLiteral("Close")));
    m_sessionPath.clear();
}

PortalHotKeyBackend::PortalShortcuts PortalHotKeyBackend::shortcutList() const
{
    PortalShortcuts list;
    for (const auto& [id, shortcut] : m_hotKeys) {
        list.append({shortcutId(shortcut),
                     {{QStringLiteral("description"), m_description},
                      {QStringLiteral("preferred_trigger"), preferredTrigger(shortcut)}}});
    }
    return list;
}

void PortalHotKeyBackend::bind()
{
    m_bindScheduled = false;
    closeSession();
    ++m_generation;
    if (!m_requestPath.isEmpty()) {
        m_connection.disconnect(portalService, m_requestPath, requestInterface,
                                QStringLiteral("Response"), this,
                                SLOT(onResponse(uint, QVariantMap)));
        m_requestPath.clear();
    }
    m_triggers.clear();
    if (m_hotKeys.empty()) {
        setState(State::idle);
        return;
    }
    setState(State::binding);
    m_awaitingSession = true;
    // Some desktops (KDE Plasma 5.27) take the shortcuts only from the session's options.
    sendRequest(QStringLiteral("CreateSession"),
                {QVariantMap{{QStringLiteral("session_handle_token"), sessionToken},
                             {QStringLiteral("shortcuts"), QVariant::fromValue(shortcutList())}}},
                QStringLiteral("codeplexor_session_%1").arg(m_generation));
}

void PortalHotKeyBackend::bindShortcuts()
{
    m_awaitingSession = false;
    sendRequest(QStringLiteral("BindShortcuts"),
                {QVariant::fromValue(QDBusObjectPath(m_sessionPath)),
                 QVariant::fromValue(shortcutList()), QString(), QVariantMap()},
                QStringLiteral("codeplexor_bind_%1").arg(m_generation));
}

void PortalHotKeyBackend::sendRequest(const QString& method, const QVariantList& arguments,
                                      const QString& handleToken)
{
    // The answer comes as a signal of a request object whose path the caller can tell in
    // advance; listening before the call keeps a quick answer from getting lost.
    QString sender = m_connection.baseService().mid(1);
    sender.replace(u'.', u'_');
    m_requestPath = portalPath + QStringLiteral("/request/") + sender + u'/' + handleToken;
    m_connection.connect(portalService, m_requestPath, requestInterface,
                         QStringLiteral("Response"), this, SLOT(onResponse(uint, QVariantMap)));

    QDBusMessage call =
        QDBusMessage::createMethodCall(portalService, portalPath, shortcutsInterface, method);
    QVariantList withToken = arguments;
    // The options are the last argument of both methods.
    QVariantMap options = withToken.last().toMap();
    options.insert(QStringLiteral("handle_token"), handleToken);
    withToken.last() = options;
    call.setArguments(withToken);
    auto* watcher = new QDBusPendingCallWatcher(
        m_connection.asyncCall(call, m_answerTimer.interval()), this);
    const int generation = m_generation;
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, generation](QDBusPendingCallWatcher* finished) {
                finished->deleteLater();
                if (generation == m_generation && finished->isError())
                    setState(State::unavailable);
            });
    // Binding may show the user a dialog, which takes as long as it takes; the session comes
    // without one.
    if (m_awaitingSession)
        m_answerTimer.start();
    else
        m_answerTimer.stop();
}

void PortalHotKeyBackend::onResponse(uint response, const QVariantMap& results)
{
    if (message().path() != m_requestPath)
        return;
    m_connection.disconnect(portalService, m_requestPath, requestInterface,
                            QStringLiteral("Response"), this, SLOT(onResponse(uint, QVariantMap)));
    m_requestPath.clear();
    if (response != responseSuccess) {
        setState(response == responseCancelled ? State::cancelled : State::refused);
        return;
    }
    if (m_awaitingSession) {
        // Documented as an object path; some portal versions send it as a string.
        const QVariant handle = results.value(QStringLiteral("session_handle"));
        m_sessionPath = handle.canConvert<QDBusObjectPath>()
                            ? handle.value<QDBusObjectPath>().path()
                            : handle.toString();
        if (m_sessionPath.isEmpty()) {
            setState(State::refused);
            return;
        }
        bindShortcuts();
        return;
    }
    takeTriggers(shortcutsFrom(results.value(QStringLiteral("shortcuts"))));
    // A shortcut the desktop left out of its answer is not bound.
    for (const auto& [id, shortcut] : std::map(m_hotKeys)) {
        if (!m_triggers.contains(shortcutId(shortcut)))
            Q_EMIT hotKeyRefused(id, invalidParameter);
    }
    setState(State::bound);
}

void PortalHotKeyBackend::takeTriggers(const PortalShortcuts& shortcuts)
{
    for (const auto& [id, properties] : shortcuts)
        m_triggers.insert(id, properties.value(QStringLiteral("trigger_description")).toString());
}

// ShortcutsChanged: the session's path and its shortcuts, a(sa{sv}).
void PortalHotKeyBackend::onShortcutsChanged(const QDBusMessage& message)
{
    const QVariantList arguments = message.arguments();
    if (arguments.size() < 2 || arguments[0].value<QDBusObjectPath>().path() != m_sessionPath)
        return;
    takeTriggers(shortcutsFrom(arguments[1]));
    Q_EMIT statusChanged();
}

// Activated: the session's path, the shortcut's id, a time stamp and options, which may hold
// an activation token ("activation_token").
void PortalHotKeyBackend::onActivated(const QDBusMessage& message)
{
    const QVariantList arguments = message.arguments();
    if (arguments.size() < 4 || arguments[0].value<QDBusObjectPath>().path() != m_sessionPath)
        return;
    QVariantMap options;
    if (arguments[3].canConvert<QDBusArgument>())
        arguments[3].value<QDBusArgument>() >> options;
    else
        options = arguments[3].toMap();
    m_activationToken = options.value(QStringLiteral("activation_token")).toString();
    const QString activated = arguments[1].toString();
    for (const auto& [id, shortcut] : std::map(m_hotKeys)) {
        if (shortcutId(shortcut) == activated) {
            Q_EMIT hotKeyPressed(id);
            Q_EMIT hotKeyReleased(id);
        }
    }
    const bool sendsTokens = !m_activationToken.isEmpty();
    m_activationToken.clear();
    if (sendsTokens != m_sendsActivationTokens) {
        m_sendsActivationTokens = sendsTokens;
        Q_EMIT statusChanged();
    }
}

} // namespace KeyboardShortcuts
