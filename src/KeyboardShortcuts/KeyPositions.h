#pragma once

#include <QtGlobal>

#include <optional>

namespace KeyboardShortcuts {

// The one fixed table between virtual key codes and X key codes (evdev codes plus 8), by the
// physical position of the key. The few Apple-only keys sit where PC keyboards have their
// counterpart: Help on Insert, Clear on Num Lock.
namespace KeyPositions {

std::optional<quint32> xKeyCode(qint64 virtualKeyCode);
std::optional<qint64> virtualKeyCode(quint32 xKeyCode);

} // namespace KeyPositions

} // namespace KeyboardShortcuts
