#include "KeyboardShortcuts/QtKeyMapping.h"

#include "KeyboardShortcuts/Key.h"
#include "KeyboardShortcuts/KeyPositions.h"
#include "KeyboardShortcuts/KeyboardLayout.h"
#include "KeyboardShortcuts/ModifierFlags.h"
#include "KeyboardShortcuts/SpecialKey.h"
#include "KeyboardShortcuts/StringTable.h"

#include <QKeyEvent>

namespace KeyboardShortcuts::QtKeyMapping {

namespace {

constexpr quint32 xLockMask = 0x2;
constexpr int virtualKeyCodeLimit = 128;

struct QtKeyRow {
    Key key;
    int qtKey;
    bool keypad;
};

// Both directions: the keys by their US position and the keys without a character.
const QtKeyRow primaryRows[] = {
    {Key::a, Qt::Key_A, false},
    {Key::b, Qt::Key_B, false},
    {Key::c, Qt::Key_C, false},
    {Key::d, Qt::Key_D, false},
    {Key::e, Qt::Key_E, false},
    {Key::f, Qt::Key_F, false},
    {Key::g, Qt::Key_G, false},
    {Key::h, Qt::Key_H, false},
    {Key::i, Qt::Key_I, false},
    {Key::j, Qt::Key_J, false},
    {Key::k, Qt::Key_K, false},
    {Key::l, Qt::Key_L, false},
    {Key::m, Qt::Key_M, false},
    {Key::n, Qt::Key_N, false},
    {Key::o, Qt::Key_O, false},
    {Key::p, Qt::Key_P, false},
    {Key::q, Qt::Key_Q, false},
    {Key::r, Qt::Key_R, false},
    {Key::s, Qt::Key_S, false},
    {Key::t, Qt::Key_T, false},
    {Key::u, Qt::Key_U, false},
    {Key::v, Qt::Key_V, false},
    {Key::w, Qt::Key_W, false},
    {Key::x, Qt::Key_X, false},
    {Key::y, Qt::Key_Y, false},
    {Key::z, Qt::Key_Z, false},
    {Key::zero, Qt::Key_0, false},
    {Key::one, Qt::Key_1, false},
    {Key::two, Qt::Key_2, false},
    {Key::three, Qt::Key_3, false},
    {Key::four, Qt::Key_4, false},
    {Key::five, Qt::Key_5, false},
    {Key::six, Qt::Key_6, false},
    {Key::seven, Qt::Key_7, false},
    {Key::eight, Qt::Key_8, false},
    {Key::nine, Qt::Key_9, false},
    {Key::minus, Qt::Key_Minus, false},
    {Key::equal, Qt::Key_Equal, false},
    {Key::leftBracket, Qt::Key_BracketLeft, false},
    {Key::rightBracket, Qt::Key_BracketRight, false},
    {Key::semicolon, Qt::Key_Semicolon, false},
    {Key::quote, Qt::Key_Apostrophe, false},
    {Key::backtick, Qt::Key_QuoteLeft, false},
    {Key::backslash, Qt::Key_Backslash, false},
    {Key::comma, Qt::Key_Comma, false},
    {Key::period, Qt::Key_Period, false},
    {Key::slash, Qt::Key_Slash, false},
    {Key::returnKey, Qt::Key_Return, false},
    {Key::tab, Qt::Key_Tab, false},
    {Key::space, Qt::Key_Space, false},
    {Key::deleteKey, Qt::Key_Backspace, false},
    {Key::escape, Qt::Key_Escape, false},
    {Key::deleteForward, Qt::Key_Delete, false},
    // Help sits where PC keyboards have Insert (see KeyPositions).
    {Key::help, Qt::Key_Insert, false},
    {Key::home, Qt::Key_Home, false},
    {Key::end, Qt::Key_End, false},
    {Key::pageUp, Qt::Key_PageUp, false},
    {Key::pageDown, Qt::Key_PageDown, false},
    {Key::upArrow, Qt::Key_Up, false},
    {Key::downArrow, Qt::Key_Down, false},
    {Key::leftArrow, Qt::Key_Left, false},
    {Key::rightArrow, Qt::Key_Right, false},
    {Key::f1, Qt::Key_F1, false},
    {Key::f2, Qt::Key_F2, false},
    {Key::f3, Qt::Key_F3, false},
    {Key::f4, Qt::Key_F4, false},
    {Key::f5, Qt::Key_F5, false},
    {Key::f6, Qt::Key_F6, false},
    {Key::f7, Qt::Key_F7, false},
    {Key::f8, Qt::Key_F8, false},
    {Key::f9, Qt::Key_F9, false},
    {Key::f10, Qt::Key_F10, false},
    {Key::f11, Qt::Key_F11, false},
    {Key::f12, Qt::Key_F12, false},
    {Key::f13, Qt::Key_F13, false},
    {Key::f14, Qt::Key_F14, false},
    {Key::f15, Qt::Key_F15, false},
    {Key::f16, Qt::Key_F16, false},
    {Key::f17, Qt::Key_F17, false},
    {Key::f18, Qt::Key_F18, false},
    {Key::f19, Qt::Key_F19, false},
    {Key::f20, Qt::Key_F20, false},
    {Key::keypad0, Qt::Key_0, true},
    {Key::keypad1, Qt::Key_1, true},
    {Key::keypad2, Qt::Key_2, true},
    {Key::keypad3, Qt::Key_3, true},
    {Key::keypad4, Qt::Key_4, true},
    {Key::keypad5, Qt::Key_5, true},
    {Key::keypad6, Qt::Key_6, true},
    {Key::keypad7, Qt::Key_7, true},
    {Key::keypad8, Qt::Key_8, true},
    {Key::keypad9, Qt::Key_9, true},
    {Key::keypadClear, Qt::Key_Clear, true},
    {Key::keypadDecimal, Qt::Key_Period, true},
    {Key::keypadDivide, Qt::Key_Slash, true},
    {Key::keypadEnter, Qt::Key_Enter, true},
    {Key::keypadEquals, Qt::Key_Equal, true},
    {Key::keypadMinus, Qt::Key_Minus, true},
    {Key::keypadMultiply, Qt::Key_Asterisk, true},
    {Key::keypadPlus, Qt::Key_Plus, true},
    {Key::mute, Qt::Key_VolumeMute, false},
    {Key::volumeDown, Qt::Key_VolumeDown, false},
    {Key::volumeUp, Qt::Key_VolumeUp, false},
};

// Qt keys that only lead to a key code: other names of the same key, and the shifted symbols of
// a US keyboard, which Qt reports instead of the unshifted key.
const QtKeyRow reverseOnlyRows[] = {
    {Key::tab, Qt::Key_Backtab, false},
    {Key::help, Qt::Key_Help, false},
    {Key::keypadEnter, Qt::Key_Enter, false},
    {Key::one, Qt::Key_Exclam, false},
    {Key::two, Qt::Key_At, false},
    {Key::three, Qt::Key_NumberSign, false},
    {Key::four, Qt::Key_Dollar, false},
    {Key::five, Qt::Key_Percent, false},
    {Key::six, Qt::Key_AsciiCircum, false},
    {Key::seven, Qt::Key_Ampersand, false},
    {Key::eight, Qt::Key_Asterisk, false},
    {Key::nine, Qt::Key_ParenLeft, false},
    {Key::zero, Qt::Key_ParenRight, false},
    {Key::minus, Qt::Key_Underscore, false},
    {Key::equal, Qt::Key_Plus, false},
    {Key::leftBracket, Qt::Key_BraceLeft, false},
    {Key::rightBracket, Qt::Key_BraceRight, false},
    {Key::semicolon, Qt::Key_Colon, false},
    {Key::quote, Qt::Key_QuoteDbl, false},
    {Key::backtick, Qt::Key_AsciiTilde, false},
    {Key::backslash, Qt::Key_Bar, false},
    {Key::comma, Qt::Key_Less, false},
    {Key::period, Qt::Key_Greater, false},
    {Key::slash, Qt::Key_Question, false},
};

const QtKeyRow* rowForKeyCode(qint64 keyCode)
{
    for (const QtKeyRow& row : primaryRows) {
        if (row.key.rawValue == keyCode)
            return &row;
    }
    return nullptr;
}

std::optional<qint64> keyCodeForQtKey(int qtKey, bool keypad)
{
    for (const QtKeyRow& row : primaryRows) {
        if (row.qtKey == qtKey && row.keypad == keypad)
            return row.key.rawValue;
    }
    for (const QtKeyRow& row : reverseOnlyRows) {
        if (row.qtKey == qtKey && row.keypad == keypad)
            return row.key.rawValue;
    }
    // A keypad key Qt names like a main key (for example Home with Num Lock off).
    if (keypad)
        return keyCodeForQtKey(qtKey, false);
    return std::nullopt;
}

// The Qt key of a layout character: Qt names printable keys by their upper-case code point.
int qtKeyForCharacter(const QString& character)
{
    const QList<uint> codePoints = character.toUcs4();
    if (codePoints.size() != 1)
        return 0;
    return static_cast<int>(QChar::toUpper(char32_t(codePoints.first())));
}

// The key code whose layout character names `qtKey`; none without a layout or such a key.
std::optional<qint64> keyCodeInLayout(int qtKey)
{
    if (!KeyboardLayout::current() || qtKey <= 0x20 || qtKey > 0x10FFFF)
        return std::nullopt;
    for (qint64 code = 0; code < virtualKeyCodeLimit; ++code) {
        if (specialKeyByKeyCode(code))
            continue;
        const std::optional<QString> character = layoutCharacter(code);
        if (character && qtKeyForCharacter(*character) == qtKey)
            return code;
    }
    return std::nullopt;
}

std::optional<Shortcut> shortcutFrom(qint64 keyCode, quint64 flags)
{
    return Shortcut(keyCode, carbonModifiersFromEventFlags(flags & ~EventModifierFlag::function));
}

} // namespace

quint64 eventModifierFlags(Qt::KeyboardModifiers modifiers, quint32 nativeModifiers)
{
    quint64 flags = 0;
    if (modifiers & Qt::ControlModifier)
        flags |= EventModifierFlag::command;
    if (modifiers & Qt::MetaModifier)
        flags |= EventModifierFlag::control;
    if (modifiers & Qt::AltModifier)
        flags |= EventModifierFlag::option;
    if (modifiers & Qt::ShiftModifier)
        flags |= EventModifierFlag::shift;
    if (modifiers & Qt::KeypadModifier)
        flags |= EventModifierFlag::numericPad;
    if (nativeModifiers & xLockMask)
        flags |= EventModifierFlag::capsLock;
    return flags;
}

Qt::KeyboardModifiers qtModifiers(quint64 eventModifierFlags)
{
    Qt::KeyboardModifiers modifiers;
    if (eventModifierFlags & EventModifierFlag::command)
        modifiers |= Qt::ControlModifier;
    if (eventModifierFlags & EventModifierFlag::control)
        modifiers |= Qt::MetaModifier;
    if (eventModifierFlags & EventModifierFlag::option)
        modifiers |= Qt::AltModifier;
    if (eventModifierFlags & EventModifierFlag::shift)
        modifiers |= Qt::ShiftModifier;
    if (eventModifierFlags & EventModifierFlag::numericPad)
        modifiers |= Qt::KeypadModifier;
    return modifiers;
}

std::optional<QKeyCombination> toKeyCombination(const Shortcut& shortcut)
{
    const quint64 flags = shortcut.modifiers();
    if (flags & EventModifierFlag::function)
        return std::nullopt;
    Qt::KeyboardModifiers modifiers = qtModifiers(flags);
    int qtKey = 0;
    if (!specialKeyByKeyCode(shortcut.carbonKeyCode())) {
        if (const std::optional<QString> character = layoutCharacter(shortcut.carbonKeyCode()))
            qtKey = qtKeyForCharacter(*character);
    }
    if (qtKey == 0) {
        const QtKeyRow* row = rowForKeyCode(shortcut.carbonKeyCode());
        if (!row)
            return std::nullopt;
        qtKey = row->qtKey;
        if (row->keypad)
            modifiers |= Qt::KeypadModifier;
    }
    return QKeyCombination(modifiers, static_cast<Qt::Key>(qtKey));
}

QKeySequence toKeySequence(const Shortcut& shortcut)
{
    if (const std::optional<QKeyCombination> combination = toKeyCombination(shortcut))
        return QKeySequence(*combination);
    return {};
}

std::optional<Shortcut> fromKeyCombination(QKeyCombination combination)
{
    const int qtKey = combination.key();
    const bool keypad = combination.keyboardModifiers() & Qt::KeypadModifier;
    std::optional<qint64> keyCode;
    if (!keypad)
        keyCode = keyCodeInLayout(qtKey);
    if (!keyCode)
        keyCode = keyCodeForQtKey(qtKey, keypad);
    if (!keyCode)
        return std::nullopt;
    return shortcutFrom(*keyCode, eventModifierFlags(combination.keyboardModifiers()));
}

quint64 eventModifierFlags(const QKeyEvent& event)
{
    const quint32 native = event.nativeScanCode() != 0 ? event.nativeModifiers() : 0;
    return eventModifierFlags(event.modifiers(), native);
}

std::optional<qint64> virtualKeyCode(const QKeyEvent& event)
{
    if (event.nativeScanCode() != 0)
        return KeyPositions::virtualKeyCode(event.nativeScanCode());
    return keyCodeForQtKey(event.key(), event.modifiers() & Qt::KeypadModifier);
}

std::optional<Shortcut> fromEvent(const QEvent& event)
{
    if (event.type() != QEvent::KeyPress && event.type() != QEvent::KeyRelease)
        return std::nullopt;
    const auto& keyEvent = static_cast<const QKeyEvent&>(event);
    const std::optional<qint64> keyCode = virtualKeyCode(keyEvent);
    if (!keyCode)
        return std::nullopt;
    return shortcutFrom(*keyCode, eventModifierFlags(keyEvent));
}

QString shownText(const Shortcut& shortcut)
{
    // Qt has no Function modifier; it goes in front of Qt's text of the rest.
    const bool function = shortcut.carbonModifiers() & CarbonModifier::function;
    const Shortcut withoutFunction(shortcut.carbonKeyCode(),
                                   shortcut.carbonModifiers() & ~CarbonModifier::function);
    const QString functionText = function ? QStringLiteral("Fn+") : QString();
    const QKeySequence sequence = toKeySequence(withoutFunction);
    if (!sequence.isEmpty())
        return functionText + sequence.toString(QKeySequence::NativeText);
    // A key Qt cannot name: Qt's text of the modifiers (taken from a combination with a
    // placeholder key, so their order and words are Qt's) and the key by its number.
    QString modifiers =
        QKeySequence(QKeyCombination(qtModifiers(withoutFunction.modifiers()), Qt::Key_A))
            .toString(QKeySequence::NativeText);
    modifiers.chop(1);
    return functionText + modifiers +
           StringTable::text(StringTable::unnamedKey).arg(shortcut.carbonKeyCode());
}

} // namespace KeyboardShortcuts::QtKeyMapping
