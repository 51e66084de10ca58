#pragma once

#include "KeyboardShortcuts/Shortcut.h"

namespace KeyboardShortcuts {

// What the recorder needs to know about the system it runs on.
struct RecorderEnvironment {
    bool isMacOS = false;
    int majorVersion = 0;
    int minorVersion = 0;
    // Whether the process runs in an application sandbox (the variable APP_SANDBOX_CONTAINER_ID
    // is set; read once per process).
    bool isSandboxed = false;

    static RecorderEnvironment current();
    static bool processIsSandboxed();

    // macOS 15.0 and 15.1 refuse hot keys whose only modifier is Option (with or without Shift)
    // for sandboxed applications.
    bool refusesOptionOnlyShortcuts() const;
    bool isRefused(const Shortcut& shortcut) const;
};

} // namespace KeyboardShortcuts
