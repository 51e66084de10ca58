#pragma once

#include <QString>
#include <QtGlobal>

#include <memory>
#include <optional>

namespace KeyboardShortcuts {

// The current keyboard layout: what a key produces with no modifiers held. Keys are named by
// their X key code (the evdev code plus 8), the numbering of the position table.
class KeyboardLayout {
public:
    virtual ~KeyboardLayout() = default;

    // The text the key gives without modifiers; none when there is no keymap or the key gives
    // nothing. The text may hold any number of characters.
    virtual std::optional<QString> unmodifiedText(quint32 xKeyCode) const = 0;

    // The layout in use; none until one is installed (no keymap: no key has a character).
    static KeyboardLayout* current();
    // Installs `layout` (none removes it) and returns the previous one.
    static std::unique_ptr<KeyboardLayout> setCurrent(std::unique_ptr<KeyboardLayout> layout);
};

// The character that the key of a virtual key code gives in the current layout without modifiers;
// none without a layout, for a special key, for a code without a position on this keyboard, or
// when the key gives anything but exactly one character.
std::optional<QString> layoutCharacter(qint64 keyCode);

} // namespace KeyboardShortcuts
