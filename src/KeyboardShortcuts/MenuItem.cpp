#include "KeyboardShortcuts/MenuItem.h"

#include "KeyboardShortcuts/ModifierFlags.h"

namespace KeyboardShortcuts {

namespace {

std::optional<MenuItem> search(const QList<MenuItem>& menu, const Shortcut& shortcut,
                               const std::optional<QString>& shortcutEquivalent)
{
    const quint64 modifiers = shortcut.modifiers();
    for (const MenuItem& item : menu) {
        QString keyEquivalent = item.keyEquivalent;
        quint64 mask = item.keyEquivalentModifierMask;
        if ((modifiers & EventModifierFlag::shift) && keyEquivalent != keyEquivalent.toLower()) {
            keyEquivalent = keyEquivalent.toLower();
            mask |= EventModifierFlag::shift;
        }
        if (shortcutEquivalent && *shortcutEquivalent == keyEquivalent && modifiers == mask)
            return item;
        if (!item.submenu.isEmpty()) {
            if (std::optional<MenuItem> found = search(item.submenu, shortcut, shortcutEquivalent))
                return found;
        }
    }
    return std::nullopt;
}

} // namespace

std::optional<MenuItem> findMenuItem(const QList<MenuItem>& menu, const Shortcut& shortcut)
{
    return search(menu, shortcut, shortcut.nsMenuItemKeyEquivalent());
}

} // namespace KeyboardShortcuts
