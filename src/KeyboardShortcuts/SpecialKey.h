#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>
#include <span>

namespace KeyboardShortcuts {

// The keys that have no printable character of their own, in their fixed order. `return` and
// `delete` are C++ keywords, so those two are named returnKey and deleteKey.
enum class SpecialKey {
    returnKey,
    deleteKey,
    deleteForward,
    end,
    escape,
    help,
    home,
    space,
    tab,
    pageUp,
    pageDown,
    upArrow,
    rightArrow,
    downArrow,
    leftArrow,
    f1,
    f2,
    f3,
    f4,
    f5,
    f6,
    f7,
    f8,
    f9,
    f10,
    f11,
    f12,
    f13,
    f14,
    f15,
    f16,
    f17,
    f18,
    f19,
    f20,
    keypad0,
    keypad1,
    keypad2,
    keypad3,
    keypad4,
    keypad5,
    keypad6,
    keypad7,
    keypad8,
    keypad9,
    keypadClear,
    keypadDecimal,
    keypadDivide,
    keypadEnter,
    keypadEquals,
    keypadMinus,
    keypadMultiply,
    keypadPlus,
};

struct SpecialKeyRow {
    SpecialKey key;
    qint64 keyCode;
};

// The table of special keys by key code, in the order of SpecialKey.
std::span<const SpecialKeyRow> specialKeyRows();

// The special key of a key code; none for an ordinary key.
std::optional<SpecialKey> specialKeyByKeyCode(qint64 keyCode);

qint64 keyCode(SpecialKey key);

// The text a shortcut shows for the key, for example "↩" or "F5".
QString shownText(SpecialKey key);

// The menu key-equivalent text of the key; none for the keypad keys, which cannot be menu key
// equivalents.
std::optional<QString> menuKeyEquivalent(SpecialKey key);

bool isFunctionKey(SpecialKey key);

} // namespace KeyboardShortcuts
