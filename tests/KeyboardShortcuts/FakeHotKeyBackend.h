#pragma once

#include "KeyboardShortcuts/HotKeyBackend.h"

#include <QList>
#include <QSet>

#include <map>

// A hot-key backend in memory: it holds what it was given, refuses what the test says, and
// reports presses and releases of the combinations it holds when the test asks for them.
class FakeHotKeyBackend : public KeyboardShortcuts::HotKeyBackend {
    Q_OBJECT

public:
    using Shortcut = KeyboardShortcuts::Shortcut;

    std::map<quint32, Shortcut> held;
    // Combinations that registration refuses with BadAccess, as a taken grab would.
    QSet<Shortcut> refused;
    // Combinations that another program holds; the system may still grant them.
    QSet<Shortcut> taken;

    int registerHotKey(quint32 id, const Shortcut& shortcut) override
    {
        if (refused.contains(shortcut))
            return 10;
        held.insert_or_assign(id, shortcut);
        return noError;
    }

    void unregisterHotKey(quint32 id) override { held.erase(id); }
    bool isTakenBySystem(const Shortcut& shortcut) override { return taken.contains(shortcut); }
    bool refusesTakenShortcuts() const override { return false; }

    // The system gives up the hot keys of the combination later, as another program took it.
    void refuseLater(const Shortcut& shortcut)
    {
        for (const quint32 id : idsOf(shortcut)) {
            held.erase(id);
            Q_EMIT hotKeyRefused(id, 10);
        }
    }

    QList<Shortcut> heldShortcuts() const
    {
        QList<Shortcut> list;
        for (const auto& [id, shortcut] : held)
            list.append(shortcut);
        return list;
    }

    // Reports a press (or release) of every held hot key with this combination; false when none
    // is held.
    bool press(const Shortcut& shortcut) { return report(shortcut, true); }
    bool release(const Shortcut& shortcut) { return report(shortcut, false); }

private:
    QList<quint32> idsOf(const Shortcut& shortcut) const
    {
        QList<quint32> ids;
        for (const auto& [id, heldShortcut] : held) {
            if (heldShortcut == shortcut)
                ids.append(id);
        }
        return ids;
    }

    bool report(const Shortcut& shortcut, bool down)
    {
        const QList<quint32> ids = idsOf(shortcut);
        for (const quint32 id : ids) {
            if (down)
                Q_EMIT hotKeyPressed(id);
            else
                Q_EMIT hotKeyReleased(id);
        }
        return !ids.isEmpty();
    }
};
