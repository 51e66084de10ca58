#pragma once

#include "KeyboardShortcuts/Shortcut.h"

#include <QList>
#include <QString>

#include <optional>

namespace KeyboardShortcuts {

// A menu item as the clash search sees it: its title, its key equivalent (the key's character,
// or a special key's menu key equivalent) with its modifier mask in event modifier flags, and its
// submenu.
struct MenuItem {
    QString title;
    QString keyEquivalent;
    quint64 keyEquivalentModifierMask = 0;
    QList<MenuItem> submenu;
};

// The first item of `menu` (depth first, in menu order) whose key equivalent is `shortcut`. An
// upper-case key equivalent stands for the lower-case key with Shift.
std::optional<MenuItem> findMenuItem(const QList<MenuItem>& menu, const Shortcut& shortcut);

} // namespace KeyboardShortcuts
