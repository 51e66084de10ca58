#pragma once

#include "KeyboardShortcuts/Shortcut.h"

#include <QHashFunctions>
#include <QMetaType>
#include <QString>

#include <optional>

namespace KeyboardShortcuts {

// The name of one user-configurable shortcut slot. Its shortcut is stored in the preferences
// under "KeyboardShortcuts_" followed by the raw value. Equality and hash use the raw value only.
class Name {
public:
    // An empty name; exists so that names can travel in QVariant. Never stored.
    Name() = default;

    // A name without default shortcut.
    explicit Name(const QString& rawValue);
    // A name with an optional default. When a default is given and the preferences hold no value
    // of any type under the name's key, the default is set (stored and registered) at once; a
    // name the user cleared keeps its cleared state.
    Name(const QString& rawValue, std::optional<Shortcut> defaultShortcut);

    QString rawValue() const { return m_rawValue; }
    std::optional<Shortcut> defaultShortcut() const { return m_defaultShortcut; }

    // The preference key of the name.
    QString preferenceKey() const;

    // The stored shortcut; setting it is setShortcut for this name.
    std::optional<Shortcut> shortcut() const;
    void setShortcut(const std::optional<Shortcut>& shortcut) const;

    friend bool operator==(const Name& a, const Name& b) { return a.m_rawValue == b.m_rawValue; }

private:
    QString m_rawValue;
    std::optional<Shortcut> m_defaultShortcut;
};

inline size_t qHash(const Name& name, size_t seed = 0) noexcept
{
    return qHash(name.rawValue(), seed);
}

// The names the application defines.
namespace Names {
// The global shortcut that regenerates and copies the open project's text. No default.
const Name& generateProject();
} // namespace Names

} // namespace KeyboardShortcuts

Q_DECLARE_METATYPE(KeyboardShortcuts::Name)
