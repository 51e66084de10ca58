#pragma once

#include "KeyboardShortcuts/EventType.h"
#include "KeyboardShortcuts/HotKeyBackend.h"
#include "KeyboardShortcuts/Shortcut.h"

#include <QHash>
#include <QObject>

#include <functional>
#include <map>
#include <memory>

namespace KeyboardShortcuts {

// The layer over the system's hot-key service: a table of hot keys by id, each with the shortcut
// in Carbon codes and its press and release callbacks. It registers them with the backend, routes
// the backend's reports to the callbacks, and while a popup menu holds the keyboard matches the
// application's own key events instead (the menu's keyboard grab keeps hot keys from firing).
class CarbonKeyboardShortcuts : public QObject {
    Q_OBJECT

public:
    using Callback = std::function<void(const Shortcut&)>;

    struct HotKey {
        Shortcut shortcut;
        quint32 carbonHotKeyId;
        // Whether the backend holds the combination now; false while a menu is open or all hot
        // keys are disabled.
        bool isRegistered;
        Callback onKeyDown;
        Callback onKeyUp;
    };

    static CarbonKeyboardShortcuts& shared();

    // Installs the backend (a null backend when none is given). Hot keys registered with the
    // previous backend are released there and forgotten.
    void setBackend(std::unique_ptr<HotKeyBackend> backend);
    HotKeyBackend& backend() const { return *m_backend; }

    // Registers the shortcut under a fresh id. A refusal writes the line "Error registering
    // hotkey <shown text>: <status>" and keeps nothing.
    void registerShortcut(const Shortcut& shortcut, Callback onKeyDown, Callback onKeyUp);
    // Releases every hot key of the shortcut and removes them from the table.
    void unregisterShortcut(const Shortcut& shortcut);

    // The master switch and the open-menu state; each change refreshes the event routing.
    void setEnabled(bool enabled);
    bool isEnabled() const { return m_isEnabled; }
    void setMenuTracking(bool tracking);
    bool isMenuTracking() const { return m_menuTracking; }

    // A key event of the application while a popup menu is open. Calls the matching hot key's
    // callback and answers true (the event is consumed); false when nothing matches or no menu
    // is open. A release is matched by the key code of the press it ends, since the modifiers may
    // be up already; a repeated press of a held key is consumed without a call.
    bool handleRawKeyEvent(EventType type, const Shortcut& shortcut, bool isAutoRepeat = false);

    QList<HotKey> hotKeys() const;
    // Whether the table holds a hot key of the shortcut (registered now or while a menu is
    // closed again); false after the system refused it.
    bool hasHotKey(const Shortcut& shortcut) const;

private:
    CarbonKeyboardShortcuts();

    void refreshEventRouting();
    void handleHotKeyEvent(EventType type, quint32 id);
    void installHandler();
    void unregisterAllFromSystem();
    void logRegistrationError(const Shortcut& shortcut, int status) const;
    void dropRefused(quint32 id, int status);
    void postTableChange() const;

    std::unique_ptr<HotKeyBackend> m_backend;
    std::map<quint32, HotKey> m_hotKeyTable;
    quint32 m_lastHotKeyId = 0;
    bool m_handlerInstalled = false;
    bool m_hotKeyEventsRouted = false;
    bool m_rawKeyEventsRouted = false;
    bool m_isEnabled = true;
    bool m_menuTracking = false;
    // Hot keys pressed while a menu was open, by key code, so their release finds them.
    QHash<qint64, quint32> m_rawPressed;
};

} // namespace KeyboardShortcuts
