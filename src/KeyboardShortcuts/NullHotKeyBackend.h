#pragma once

#include "KeyboardShortcuts/HotKeyBackend.h"

namespace KeyboardShortcuts {

// The backend of sessions without global hot keys (no X11 display, Wayland): every registration
// is accepted and nothing is ever reported, so stored shortcuts stay valid for a later session.
class NullHotKeyBackend : public HotKeyBackend {
    Q_OBJECT

public:
    using HotKeyBackend::HotKeyBackend;

    int registerHotKey(quint32 id, const Shortcut& shortcut) override;
    void unregisterHotKey(quint32 id) override;
    bool isTakenBySystem(const Shortcut& shortcut) override;
};

} // namespace KeyboardShortcuts
