#include "KeyboardShortcuts/Name.h"

#include "KeyboardShortcuts/KeyboardShortcuts.h"
#include "model/PreferenceKeys.h"
#include "model/Preferences.h"

namespace KeyboardShortcuts {

Name::Name(const QString& rawValue)
    : Name(rawValue, std::nullopt)
{}

Name::Name(const QString& rawValue, std::optional<Shortcut> defaultShortcut)
    : m_rawValue(rawValue)
    , m_defaultShortcut(defaultShortcut)
{
    if (m_defaultShortcut && !preferences().contains(preferenceKey()))
        KeyboardShortcuts::setShortcut(m_defaultShortcut, *this);
    ensureOneTimeSetUp();
}

QString Name::preferenceKey() const
{
    return PreferenceKeys::keyboardShortcutPrefix + m_rawValue;
}

std::optional<Shortcut> Name::shortcut() const
{
    return getShortcut(*this);
}

void Name::setShortcut(const std::optional<Shortcut>& shortcut) const
{
    KeyboardShortcuts::setShortcut(shortcut, *this);
}

namespace Names {

const Name& generateProject()
{
    static const Name name(QStringLiteral("generateProject"));
    return name;
}

} // namespace Names

} // namespace KeyboardShortcuts
