#include "KeyboardShortcuts/SpecialKey.h"

#include "KeyboardShortcuts/StringTable.h"

#include <QHash>

namespace KeyboardShortcuts {

namespace {

constexpr SpecialKeyRow rows[] = {
    {SpecialKey::returnKey, 36},
    {SpecialKey::deleteKey, 51},
    {SpecialKey::deleteForward, 117},
    {SpecialKey::end, 119},
    {SpecialKey::escape, 53},
    {SpecialKey::help, 114},
    {SpecialKey::home, 115},
    {SpecialKey::space, 49},
    {SpecialKey::tab, 48},
    {SpecialKey::pageUp, 116},
    {SpecialKey::pageDown, 121},
    {SpecialKey::upArrow, 126},
    {SpecialKey::rightArrow, 124},
    {SpecialKey::downArrow, 125},
    {SpecialKey::leftArrow, 123},
    {SpecialKey::f1, 122},
    {SpecialKey::f2, 120},
    {SpecialKey::f3, 99},
    {SpecialKey::f4, 118},
    {SpecialKey::f5, 96},
    {SpecialKey::f6, 97},
    {SpecialKey::f7, 98},
    {SpecialKey::f8, 100},
    {SpecialKey::f9, 101},
    {SpecialKey::f10, 109},
    {SpecialKey::f11, 103},
    {SpecialKey::f12, 111},
    {SpecialKey::f13, 105},
    {SpecialKey::f14, 107},
    {SpecialKey::f15, 113},
    {SpecialKey::f16, 106},
    {SpecialKey::f17, 64},
    {SpecialKey::f18, 79},
    {SpecialKey::f19, 80},
    {SpecialKey::f20, 90},
    {SpecialKey::keypad0, 82},
    {SpecialKey::keypad1, 83},
    {SpecialKey::keypad2, 84},
    {SpecialKey::keypad3, 85},
    {SpecialKey::keypad4, 86},
    {SpecialKey::keypad5, 87},
    {SpecialKey::keypad6, 88},
    {SpecialKey::keypad7, 89},
    {SpecialKey::keypad8, 91},
    {SpecialKey::keypad9, 92},
    {SpecialKey::keypadClear, 71},
    {SpecialKey::keypadDecimal, 65},
    {SpecialKey::keypadDivide, 75},
    {SpecialKey::keypadEnter, 76},
    {SpecialKey::keypadEquals, 81},
    {SpecialKey::keypadMinus, 78},
    {SpecialKey::keypadMultiply, 67},
    {SpecialKey::keypadPlus, 69},
};

int index(SpecialKey key)
{
    return static_cast<int>(key);
}

bool isKeypadKey(SpecialKey key)
{
    return index(key) >= index(SpecialKey::keypad0);
}

// The glyph of a keypad key before its enclosing keycap.
char16_t keypadGlyph(SpecialKey key)
{
    switch (key) {
    case SpecialKey::keypadClear:
        return 0x2612;
    case SpecialKey::keypadDecimal:
        return u'.';
    case SpecialKey::keypadDivide:
        return u'/';
    case SpecialKey::keypadEnter:
        return 0x21A9;
    case SpecialKey::keypadEquals:
        return u'=';
    case SpecialKey::keypadMinus:
        return u'-';
    case SpecialKey::keypadMultiply:
        return u'*';
    case SpecialKey::keypadPlus:
        return u'+';
    default:
        return char16_t(u'0' + (index(key) - index(SpecialKey::keypad0)));
    }
}

// The symbol of the named keys from returnKey to leftArrow (space excluded).
QString namedSymbol(SpecialKey key)
{
    switch (key) {
    case SpecialKey::returnKey:
        return QString(QChar(0x21A9));
    case SpecialKey::deleteKey:
        return QString(QChar(0x232B));
    case SpecialKey::deleteForward:
        return QString(QChar(0x2326));
    case SpecialKey::end:
        return QString(QChar(0x2198));
    case SpecialKey::escape:
        return QString(QChar(0x238B));
    case SpecialKey::help:
        return QStringLiteral(u"?\u20DD");
    case SpecialKey::home:
        return QString(QChar(0x2196));
    case SpecialKey::tab:
        return QString(QChar(0x21E5));
    case SpecialKey::pageUp:
        return QString(QChar(0x21DE));
    case SpecialKey::pageDown:
        return QString(QChar(0x21DF));
    case SpecialKey::upArrow:
        return QString(QChar(0x2191));
    case SpecialKey::rightArrow:
        return QString(QChar(0x2192));
    case SpecialKey::downArrow:
        return QString(QChar(0x2193));
    case SpecialKey::leftArrow:
        return QString(QChar(0x2190));
    default:
        return {};
    }
}

} // namespace

std::span<const SpecialKeyRow> specialKeyRows()
{
    return rows;
}

std::optional<SpecialKey> specialKeyByKeyCode(qint64 keyCode)
{
    static const QHash<qint64, SpecialKey> byCode = [] {
        QHash<qint64, SpecialKey> table;
        for (const SpecialKeyRow& row : rows)
            table.insert(row.keyCode, row.key);
        return table;
    }();
    const auto found = byCode.constFind(keyCode);
    if (found == byCode.constEnd())
        return std::nullopt;
    return *found;
}

qint64 keyCode(SpecialKey key)
{
    return rows[index(key)].keyCode;
}

bool isFunctionKey(SpecialKey key)
{
    return index(key) >= index(SpecialKey::f1) && index(key) <= index(SpecialKey::f20);
}

QString shownText(SpecialKey key)
{
    if (key == SpecialKey::space) {
        return StringTable::capitalized(StringTable::text(StringTable::spaceKey));
    }
    if (isFunctionKey(key))
        return QStringLiteral("F") + QString::number(index(key) - index(SpecialKey::f1) + 1);
    if (isKeypadKey(key))
        return QString(QChar(keypadGlyph(key))) + QChar(0x20E3);
    return namedSymbol(key);
}

std::optional<QString> menuKeyEquivalent(SpecialKey key)
{
    if (key == SpecialKey::space)
        return QStringLiteral(" ");
    if (isFunctionKey(key))
        return QString(QChar(0xF704 + (index(key) - index(SpecialKey::f1))));
    if (isKeypadKey(key))
        return std::nullopt;
    return namedSymbol(key);
}

} // namespace KeyboardShortcuts
