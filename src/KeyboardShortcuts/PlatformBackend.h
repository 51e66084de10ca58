#pragma once

#include "KeyboardShortcuts/HotKeyBackend.h"
#include "KeyboardShortcuts/KeyboardLayout.h"

#include <memory>

namespace KeyboardShortcuts {

// The hot-key backend and keyboard layout of the running platform.
struct PlatformBackend {
    std::unique_ptr<HotKeyBackend> hotKeys;
    // None when the platform has no keymap to read.
    std::unique_ptr<KeyboardLayout> layout;

    // The desktop portal in a Wayland session whose portal offers global shortcuts; else X11
    // when the application runs on the xcb platform with a live connection; else the null
    // backend (its status says so in a Wayland session). The X11 keymap whenever there is an
    // X connection, no layout otherwise. Needs the application object.
    static PlatformBackend create();

    // Creates the platform's backend and layout, installs both in the module and logs the
    // choice once (category "codeplexor.shortcut"). The application calls this once after
    // creating its QApplication.
    static void install();
};

} // namespace KeyboardShortcuts
