#pragma once

#include "KeyboardShortcuts/HotKeyBackend.h"

#include <QAbstractNativeEventFilter>
#include <QHash>

#include <xcb/xcb.h>

#include <map>
#include <memory>
#include <optional>

class QSocketNotifier;

namespace KeyboardShortcuts {

// Global hot keys on an X11 display: passive key grabs on the root window. Each combination is
// grabbed four times, plain and with Caps Lock, Num Lock and both, so that the lock keys do not
// matter; a combination that another client holds is refused with BadAccess (X error 10). Press
// and release events come either through Qt's native event filter (the application's own
// connection) or from a connection this object opened and reads itself. A release is matched by
// key code, because the modifiers may be released first; with detectable auto-repeat a held key
// reports one press and one release.
class X11HotKeyBackend : public HotKeyBackend, public QAbstractNativeEventFilter {
    Q_OBJECT

public:
    static constexpr int badAccess = 10;

    // Uses Qt's connection to the display; its events arrive through the native event filter,
    // which this object installs. The connection must stay open for the object's lifetime.
    explicit X11HotKeyBackend(xcb_connection_t* connection, int screenNumber = 0,
                              QObject* parent = nullptr);
    // Opens its own connection to `displayName` (the DISPLAY variable when empty) and reads its
    // events itself. None when the display cannot be reached.
    static std::unique_ptr<X11HotKeyBackend> connectTo(const QByteArray& displayName);
    ~X11HotKeyBackend() override;

    xcb_connection_t* connection() const { return m_connection; }

    int registerHotKey(quint32 id, const Shortcut& shortcut) override;
    void unregisterHotKey(quint32 id) override;
    bool isTakenBySystem(const Shortcut& shortcut) override;
    bool refusesTakenShortcuts() const override { return true; }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

    // Handles one event of the connection; true when it belonged to a hot key (and is consumed).
    bool handleEvent(const xcb_generic_event_t* event);

private:
    struct Grab {
        xcb_keycode_t keyCode;
        quint16 modifiers;
        friend bool operator==(const Grab&, const Grab&) = default;
    };

    X11HotKeyBackend(xcb_connection_t* connection, int screenNumber, bool ownsConnection);

    std::optional<Grab> grabFor(const Shortcut& shortcut) const;
    int grab(const Grab& grab);
    void ungrab(const Grab& grab);
    QList<quint16> lockVariants() const;
    void readModifierMasks();
    void readPendingEvents();

    xcb_connection_t* m_connection = nullptr;
    bool m_ownsConnection = false;
    xcb_window_t m_root = 0;
    std::map<quint32, Grab> m_grabs;
    // Hot keys whose key is down, by key code.
    QHash<xcb_keycode_t, quint32> m_pressed;
    quint16 m_numLockMask = 0;
    quint16 m_altMask = 0;
    quint16 m_superMask = 0;
    QSocketNotifier* m_notifier = nullptr;
};

} // namespace KeyboardShortcuts
