#pragma once

#include "KeyboardShortcuts/Name.h"

#include <optional>

class QAction;

namespace KeyboardShortcuts {

// Gives a menu action the stored shortcut of `name` and keeps it current as the shortcut
// changes. None stops following and removes the action's shortcut.
void setShortcut(QAction* action, const std::optional<Name>& name);

// The name an action follows, if any.
std::optional<Name> shortcutName(const QAction* action);

} // namespace KeyboardShortcuts
