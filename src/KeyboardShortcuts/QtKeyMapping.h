#pragma once

#include "KeyboardShortcuts/Shortcut.h"

#include <QKeyCombination>
#include <QKeySequence>

#include <optional>

class QEvent;
class QKeyEvent;

namespace KeyboardShortcuts {

// Conversions between shortcuts and Qt's key values. The modifiers map as Qt itself maps them
// between macOS and other systems: Command is Ctrl, Control is Meta (the Super key), Option is
// Alt, Shift is Shift. The Function modifier has no Qt counterpart.
namespace QtKeyMapping {

// Event modifier flags of Qt modifiers; `nativeModifiers` (the X key state, when known) adds
// Caps Lock.
quint64 eventModifierFlags(Qt::KeyboardModifiers modifiers, quint32 nativeModifiers = 0);
Qt::KeyboardModifiers qtModifiers(quint64 eventModifierFlags);

// The Qt combination of a shortcut: the key as the current layout names it (or by its US
// position without a layout), keypad keys with the keypad modifier. None when the key has no Qt
// counterpart or the shortcut uses the Function modifier.
std::optional<QKeyCombination> toKeyCombination(const Shortcut& shortcut);
// The one-key sequence of a shortcut; empty when it has no Qt combination.
QKeySequence toKeySequence(const Shortcut& shortcut);

// The shortcut of a Qt combination: a printable key by its position in the current layout (or on
// a US keyboard without a layout). None for keys without a virtual key code.
std::optional<Shortcut> fromKeyCombination(QKeyCombination combination);

// The shortcut of a key press or release; none for any other event. A native event names its key
// by the X key code (Linux, X11 and Wayland); a synthesised one by its Qt key. The Function
// modifier, Caps Lock and the keypad flag never become part of the shortcut.
std::optional<Shortcut> fromEvent(const QEvent& event);
// The event modifier flags of a key event, Caps Lock included when the native state shows it.
quint64 eventModifierFlags(const QKeyEvent& event);
// The virtual key code of a key event; none when the key has none.
std::optional<qint64> virtualKeyCode(const QKeyEvent& event);

// The text the user sees for a shortcut: Qt's native text of its combination (for example
// "Ctrl+Shift+K"), "Fn+" in front for the Function modifier, and "Key 93" for a key Qt has no
// name for. Never a symbol of another system.
QString shownText(const Shortcut& shortcut);

} // namespace QtKeyMapping

} // namespace KeyboardShortcuts
