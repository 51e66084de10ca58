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

    // X11 when the application runs on the xcb platform with a live connection; the null backend
    // and no layout everywhere else (Wayland, offscreen, no display). Needs the application
    // object.
    static PlatformBackend create();

    // Creates the platform's backend and layout and installs both in the module. The
    // application calls this once after creating its QApplication.
    static void install();
};

} // namespace KeyboardShortcuts
