#include "KeyboardShortcuts/StringTable.h"

#include <QCoreApplication>

namespace KeyboardShortcuts::StringTable {

namespace {

struct Entry {
    QLatin1StringView key;
    const char16_t* english;
};

const Entry entries[] = {
    {recordShortcut, u"Record Shortcut"},
    {pressShortcut, u"Press Shortcut"},
    {usedByMenuItem,
     u"This keyboard shortcut belongs to the menu item \u201C%1\u201D. Choose another one."},
    {disallowed, u"This keyboard shortcut cannot be used: on this system release a shortcut "
                 u"needs a modifier other than Option and Shift."},
    {usedBySystem, u"Another application or the system already uses this keyboard shortcut."},
    {canBeChanged, u"Most shortcuts of the desktop can be changed in its keyboard settings. Use "
                   u"the shortcut anyway only if you know it stays free."},
    {ok, u"OK"},
    {forceUseShortcut, u"Use Anyway"},
    {spaceKey, u"space"},
    {chooseAnother, u"Choose another combination, or free this one in the other application or in "
                    u"the desktop's keyboard settings."},
    {usedByOtherApplication, u"%1 is used by another application"},
    {unnamedKey, u"Key %1"},
};

} // namespace

QString text(QLatin1StringView key)
{
    const QByteArray keyBytes(key.data(), key.size());
    const QString translated =
        QCoreApplication::translate("KeyboardShortcuts", keyBytes.constData());
    if (translated != key)
        return translated;
    for (const Entry& entry : entries) {
        if (entry.key == key)
            return QString::fromUtf16(entry.english);
    }
    return QString(key);
}

QString capitalized(const QString& text)
{
    QString result;
    result.reserve(text.size());
    bool startOfWord = true;
    for (const char32_t codePoint : text.toUcs4()) {
        char32_t mapped = codePoint;
        if (QChar::isLetter(codePoint)) {
            mapped = startOfWord ? QChar::toTitleCase(codePoint) : QChar::toLower(codePoint);
            startOfWord = false;
        } else {
            startOfWord = QChar::isSpace(codePoint);
        }
        result += QString::fromUcs4(&mapped, 1);
    }
    return result;
}

} // namespace KeyboardShortcuts::StringTable
