#pragma once

#include "KeyboardShortcuts/HotKeyBackend.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QHash>
#include <QTimer>
#include <QVariantMap>

#include <map>

namespace KeyboardShortcuts {

// Global hot keys through the desktop portal's GlobalShortcuts interface on the session bus, for
// Wayland desktops, where no program sees the keys of another. The portal binds a list of
// shortcuts to a session once; so every change of the list (a hot key added or released)
// closes the session and asks for a new one with the whole list. Each shortcut goes to the
// desktop with the recorded combination as its preferred trigger; the desktop has the last word
// on the keys and reports them as a text (statusText), also when the user changes them later.
//
// Everything is asynchronous: no call waits for the portal, and a portal that does not answer
// within answerTimeout leaves the status "does not offer global shortcuts". A press reported by
// the portal (Activated) is handed on as a press and a release at once: not every desktop sends
// Deactivated (a shortcut invoked through the desktop's shortcut service does not).
class PortalHotKeyBackend : public HotKeyBackend, protected QDBusContext {
    Q_OBJECT

public:
    enum class State {
        // Nothing to bind.
        idle,
        // Waiting for the portal's answers.
        binding,
        bound,
        // The user dismissed the desktop's dialog.
        cancelled,
        // The portal answered with an error.
        refused,
        // No answer in time, or no portal at all.
        unavailable,
    };
    Q_ENUM(State)

    static constexpr int defaultAnswerTimeout = 5000;

    explicit PortalHotKeyBackend(const QDBusConnection& connection = QDBusConnection::sessionBus(),
                                 QObject* parent = nullptr);
    ~PortalHotKeyBackend() override;

    // Whether a portal on the bus offers GlobalShortcuts. Waits for the answer (the factory asks
    // once, at start) at most `timeout` milliseconds.
    static bool isOffered(const QDBusConnection& connection, int timeout = 3000);

    // The trigger the portal is asked for: the XDG shortcut form of the combination, for example
    // "CTRL+SHIFT+k" (Command is CTRL, Control is LOGO, Option is ALT); empty for a key without
    // a position here or with the Function modifier.
    static QString preferredTrigger(const Shortcut& shortcut);
    // The shortcut id given to the portal for a combination; the same across runs, so a
    // desktop that remembers bindings keeps the user's keys for it.
    static QString shortcutId(const Shortcut& shortcut);

    int registerHotKey(quint32 id, const Shortcut& shortcut) override;
    void unregisterHotKey(quint32 id) override;
    // The desktop decides about clashes itself.
    bool isTakenBySystem(const Shortcut& shortcut) override;
    QString statusText() const override;
    void setDescription(const QString& description) override;
    bool firesHotKeys() const override
    {
        return m_state == State::idle || m_state == State::binding || m_state == State::bound;
    }
    QString activationToken() const override { return m_activationToken; }
    bool sendsActivationTokens() const override { return m_sendsActivationTokens; }

    State state() const { return m_state; }
    // The desktop's description of the keys that trigger a hot key; empty when none is known.
    QString triggerDescription(quint32 id) const;
    void setAnswerTimeout(int milliseconds) { m_answerTimer.setInterval(milliseconds); }

private Q_SLOTS:
    void onResponse(uint response, const QVariantMap& results);
    void onActivated(const QDBusMessage& message);
    void onShortcutsChanged(const QDBusMessage& message);

private:
    using PortalShortcuts = QList<std::pair<QString, QVariantMap>>;

    void scheduleBind();
    void bind();
    void closeSession();
    void sendRequest(const QString& method, const QVariantList& arguments,
                     const QString& handleToken);
    void bindShortcuts();
    PortalShortcuts shortcutList() const;
    void takeTriggers(const PortalShortcuts& shortcuts);
    void setState(State state);

    QDBusConnection m_connection;
    std::map<quint32, Shortcut> m_hotKeys;
    QHash<QString, QString> m_triggers;
    QString m_description;
    QString m_sessionPath;
    // The request whose Response is awaited, and what it was for.
    QString m_requestPath;
    bool m_awaitingSession = false;
    // Every new binding gets fresh request tokens, so a late answer to an old one is ignored.
    int m_generation = 0;
    bool m_bindScheduled = false;
    // The token of the activation being reported, and whether the latest one had a token.
    QString m_activationToken;
    bool m_sendsActivationTokens = false;
    State m_state = State::idle;
    QTimer m_answerTimer;
};

} // namespace KeyboardShortcuts
