#include "KeyboardShortcuts/ModifierFlags.h"

namespace KeyboardShortcuts {

namespace {

struct ModifierPair {
    quint64 eventFlag;
    qint64 carbonBit;
};

constexpr ModifierPair modifierPairs[] = {
    {EventModifierFlag::control, CarbonModifier::control},
    {EventModifierFlag::option, CarbonModifier::option},
    {EventModifierFlag::shift, CarbonModifier::shift},
    {EventModifierFlag::command, CarbonModifier::command},
    {EventModifierFlag::function, CarbonModifier::function},
};

} // namespace

qint64 carbonModifiersFromEventFlags(quint64 flags)
{
    qint64 carbon = 0;
    for (const ModifierPair& pair : modifierPairs) {
        if (flags & pair.eventFlag)
            carbon |= pair.carbonBit;
    }
    return carbon;
}

quint64 eventFlagsFromCarbonModifiers(qint64 carbonModifiers)
{
    quint64 flags = 0;
    for (const ModifierPair& pair : modifierPairs) {
        if (carbonModifiers & pair.carbonBit)
            flags |= pair.eventFlag;
    }
    return flags;
}

qint64 normalizedCarbonModifiers(qint64 carbonModifiers)
{
    return carbonModifiersFromEventFlags(eventFlagsFromCarbonModifiers(carbonModifiers));
}

QString ks_symbolicRepresentation(quint64 flags)
{
    QString text;
    if (flags & EventModifierFlag::control)
        text += QChar(0x2303);
    if (flags & EventModifierFlag::option)
        text += QChar(0x2325);
    if (flags & EventModifierFlag::shift)
        text += QChar(0x21E7);
    if (flags & EventModifierFlag::command)
        text += QChar(0x2318);
    if (flags & EventModifierFlag::function)
        text += QStringView(u"\U0001F310\uFE0E");
    return text;
}

} // namespace KeyboardShortcuts
