#pragma once

#include "KeyboardShortcuts/MenuItem.h"

#include <QList>

class QAction;
class QMenuBar;

namespace KeyboardShortcuts {

// The application's menus as the clash search sees them.
namespace MenuBarItems {

// The items of every menu bar of the application's top-level windows, with their submenus.
QList<MenuItem> ofApplication();
QList<MenuItem> ofMenuBar(const QMenuBar& menuBar);
// One item per key sequence of each action (items without a shortcut have an empty key
// equivalent); an action with a menu brings its submenu.
QList<MenuItem> ofActions(const QList<QAction*>& actions);

} // namespace MenuBarItems

} // namespace KeyboardShortcuts
