#pragma once

#include <QMetaType>

namespace KeyboardShortcuts {

// What happened to a shortcut's key.
enum class EventType {
    keyDown,
    keyUp,
};

} // namespace KeyboardShortcuts

Q_DECLARE_METATYPE(KeyboardShortcuts::EventType)
