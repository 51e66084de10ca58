#pragma once

#include <QString>

// How a copy reaches the clipboard while the application's window does not have the keyboard
// (the global shortcut). On X11 any client may set the clipboard. A Wayland compositor takes a
// clipboard write only from the focused window; there the text goes through wl-copy, which
// writes through the compositor's data-control protocol and serves the text after the write.
// Without wl-copy the text waits in the window for one click on "Copy".
namespace BackgroundCopy {

enum class Path { direct, wlCopy, clickToCopy };

// Whether the desktop session is a Wayland one, whatever Qt platform plugin runs (an X11
// client under XWayland is still held to the compositor's clipboard rules).
bool isWaylandSession();
// The wl-copy program; empty when it is not installed.
QString wlCopyProgram();

Path currentPath();

// One line for the settings on how copies from the background work here; empty on X11.
QString description(Path path);

} // namespace BackgroundCopy
