#pragma once

#include <QString>
#include <QtGlobal>

// The two encodings of modifier keys that shortcuts use. Stored shortcuts carry Carbon modifier
// bits; key events and menu items carry event modifier flags. Both are kept bit for bit so that a
// stored shortcut means the same combination on every platform.
namespace KeyboardShortcuts {

// Carbon modifier bits, the encoding of Shortcut::carbonModifiers.
namespace CarbonModifier {
inline constexpr qint64 command = 0x100;
inline constexpr qint64 shift = 0x200;
inline constexpr qint64 option = 0x800;
inline constexpr qint64 control = 0x1000;
inline constexpr qint64 function = 0x20000;
} // namespace CarbonModifier

// Event modifier flags, the encoding of key events and menu items.
namespace EventModifierFlag {
inline constexpr quint64 capsLock = 0x10000;
inline constexpr quint64 shift = 0x20000;
inline constexpr quint64 control = 0x40000;
inline constexpr quint64 option = 0x80000;
inline constexpr quint64 command = 0x100000;
inline constexpr quint64 numericPad = 0x200000;
inline constexpr quint64 help = 0x400000;
inline constexpr quint64 function = 0x800000;
// The device-independent part of a flag word.
inline constexpr quint64 deviceIndependentMask = 0xFFFF0000;
} // namespace EventModifierFlag

// Event flags to Carbon bits. Caps Lock, numeric pad, Help and every other bit are dropped.
qint64 carbonModifiersFromEventFlags(quint64 flags);
// Carbon bits to event flags. Bits other than the five Carbon modifiers are dropped.
quint64 eventFlagsFromCarbonModifiers(qint64 carbonModifiers);
// Keeps only the five Carbon modifier bits.
qint64 normalizedCarbonModifiers(qint64 carbonModifiers);

// The modifier symbols of `flags` in the fixed order Control, Option, Shift, Command, Function,
// for example "⇧⌘" for Shift and Command.
QString ks_symbolicRepresentation(quint64 flags);

} // namespace KeyboardShortcuts
