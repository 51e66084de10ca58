#include "KeyboardShortcuts/Shortcut.h"

#include "KeyboardShortcuts/KeyboardLayout.h"
#include "KeyboardShortcuts/KeyboardShortcuts.h"
#include "KeyboardShortcuts/ModifierFlags.h"
#include "KeyboardShortcuts/SpecialKey.h"
#include "KeyboardShortcuts/StringTable.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace KeyboardShortcuts {

namespace {

const QString keyCodeMember = QStringLiteral("carbonKeyCode");
const QString modifiersMember = QStringLiteral("carbonModifiers");

// An integer member exactly as stored; a fraction, a text or a missing member gives none.
std::optional<qint64> integerMember(const QJsonObject& object, const QString& member)
{
    const QJsonValue value = object.value(member);
    if (!value.isDouble())
        return std::nullopt;
    const qint64 integer = value.toInteger(-1);
    if (integer == -1) {
        // toInteger gives the fallback both for -1 itself and for a non-integral number.
        const double number = value.toDouble();
        if (number != -1.0)
            return std::nullopt;
    }
    return integer;
}

} // namespace

Shortcut::Shortcut(qint64 carbonKeyCode, qint64 carbonModifiers)
    : m_carbonKeyCode(carbonKeyCode)
    , m_carbonModifiers(normalizedCarbonModifiers(carbonModifiers))
{}

Shortcut::Shortcut(Key key, quint64 eventModifierFlags)
    : Shortcut(key.rawValue, carbonModifiersFromEventFlags(eventModifierFlags))
{}

Shortcut Shortcut::fromStored(qint64 carbonKeyCode, qint64 carbonModifiers)
{
    Shortcut shortcut;
    shortcut.m_carbonKeyCode = carbonKeyCode;
    shortcut.m_carbonModifiers = carbonModifiers;
    return shortcut;
}

std::optional<Shortcut> Shortcut::fromName(const Name& name)
{
    return getShortcut(name);
}

quint64 Shortcut::modifiers() const
{
    return eventFlagsFromCarbonModifiers(m_carbonModifiers);
}

QString Shortcut::description() const
{
    QString text = ks_symbolicRepresentation(modifiers());
    if (const std::optional<SpecialKey> special = specialKeyByKeyCode(m_carbonKeyCode))
        return text + shownText(*special);
    const std::optional<QString> character = layoutCharacter(m_carbonKeyCode);
    return text + StringTable::capitalized(character.value_or(QString(QChar(0xFFFD))));
}

std::optional<QString> Shortcut::nsMenuItemKeyEquivalent() const
{
    if (const std::optional<SpecialKey> special = specialKeyByKeyCode(m_carbonKeyCode))
        return menuKeyEquivalent(*special);
    return layoutCharacter(m_carbonKeyCode);
}

QByteArray Shortcut::toJson() const
{
    return "{\"carbonKeyCode\":" + QByteArray::number(m_carbonKeyCode) +
           ",\"carbonModifiers\":" + QByteArray::number(m_carbonModifiers) + '}';
}

std::optional<Shortcut> Shortcut::fromJson(const QByteArray& json)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    const QJsonObject object = document.object();
    const std::optional<qint64> keyCode = integerMember(object, keyCodeMember);
    const std::optional<qint64> modifiers = integerMember(object, modifiersMember);
    if (!keyCode || !modifiers)
        return std::nullopt;
    return fromStored(*keyCode, *modifiers);
}

} // namespace KeyboardShortcuts
