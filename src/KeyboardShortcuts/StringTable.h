#pragma once

#include <QLatin1StringView>
#include <QString>

namespace KeyboardShortcuts {

// The user-visible texts of the shortcut module, looked up by key. The English texts are built
// in; an installed translator for the context "KeyboardShortcuts" that knows a key replaces them.
namespace StringTable {

inline constexpr QLatin1StringView recordShortcut{"record_shortcut"};
inline constexpr QLatin1StringView pressShortcut{"press_shortcut"};
// A format with one argument (%1), the title of the menu item.
inline constexpr QLatin1StringView usedByMenuItem{"keyboard_shortcut_used_by_menu_item"};
inline constexpr QLatin1StringView disallowed{"keyboard_shortcut_disallowed"};
inline constexpr QLatin1StringView usedBySystem{"keyboard_shortcut_used_by_system"};
inline constexpr QLatin1StringView canBeChanged{"keyboard_shortcuts_can_be_changed"};
inline constexpr QLatin1StringView ok{"ok"};
inline constexpr QLatin1StringView forceUseShortcut{"force_use_shortcut"};
inline constexpr QLatin1StringView spaceKey{"space_key"};
// Informative text of the system-clash alert when the system refuses taken combinations.
inline constexpr QLatin1StringView chooseAnother{"keyboard_shortcut_choose_another"};
// A format with one argument (%1), the shown shortcut: why a stored shortcut does nothing.
inline constexpr QLatin1StringView usedByOtherApplication{"keyboard_shortcut_used_by_other_application"};
// A format with one argument (%1), the name of a key without a name of its own.
inline constexpr QLatin1StringView unnamedKey{"unnamed_key"};

// The text for `key`; the key itself when the table does not know it.
QString text(QLatin1StringView key);

// Each word's first letter in title case and the rest in lower case ("space bar" gives
// "Space Bar").
QString capitalized(const QString& text);

} // namespace StringTable

} // namespace KeyboardShortcuts
