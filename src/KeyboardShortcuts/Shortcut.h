#pragma once

#include "KeyboardShortcuts/Key.h"

#include <QByteArray>
#include <QHashFunctions>
#include <QMetaType>
#include <QString>

#include <optional>

namespace KeyboardShortcuts {

class Name;

// One key plus a set of modifier keys, kept as a virtual key code and Carbon modifier bits (see
// ModifierFlags.h), the form in which shortcuts are stored.
class Shortcut {
public:
    // Keeps the key code as given and only the five Carbon modifier bits of `carbonModifiers`.
    Shortcut(qint64 carbonKeyCode, qint64 carbonModifiers);
    // The key with event modifier flags, converted to Carbon bits.
    Shortcut(Key key, quint64 eventModifierFlags);

    // Builds a shortcut from the two members exactly as given, without normalising the
    // modifiers. Used for stored records, which keep every bit they were written with.
    static Shortcut fromStored(qint64 carbonKeyCode, qint64 carbonModifiers);

    // The shortcut stored for `name`, if any.
    static std::optional<Shortcut> fromName(const Name& name);

    qint64 carbonKeyCode() const { return m_carbonKeyCode; }
    qint64 carbonModifiers() const { return m_carbonModifiers; }
    Key key() const { return Key(m_carbonKeyCode); }

    // The modifiers as event modifier flags.
    quint64 modifiers() const;

    // The symbolic text of the shortcut, for example "⇧⌘K": the modifier symbols, then the special
    // key's symbol or the key's character in the current layout (U+FFFD when it has none).
    QString description() const;

    // The text a menu item would carry as its key equivalent for this key: the special key's
    // equivalent, or the key's character in the current layout (not capitalised).
    std::optional<QString> nsMenuItemKeyEquivalent() const;

    // The stored JSON form: {"carbonKeyCode":40,"carbonModifiers":768}.
    QByteArray toJson() const;
    // Reads the stored JSON form. Both members must be integers; they may come in either order.
    // Any other input gives none.
    static std::optional<Shortcut> fromJson(const QByteArray& json);

    friend bool operator==(const Shortcut&, const Shortcut&) = default;

private:
    Shortcut() = default;

    qint64 m_carbonKeyCode = 0;
    qint64 m_carbonModifiers = 0;
};

inline size_t qHash(const Shortcut& shortcut, size_t seed = 0) noexcept
{
    return qHashMulti(seed, shortcut.carbonKeyCode(), shortcut.carbonModifiers());
}

} // namespace KeyboardShortcuts

Q_DECLARE_METATYPE(KeyboardShortcuts::Shortcut)
Q_DECLARE_METATYPE(std::optional<KeyboardShortcuts::Shortcut>)
