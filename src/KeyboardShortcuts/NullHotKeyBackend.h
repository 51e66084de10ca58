#pragma once

#include "KeyboardShortcuts/HotKeyBackend.h"

namespace KeyboardShortcuts {

// The backend of sessions without global hot keys (no X11 display, a Wayland desktop without
// the portal): every registration is accepted and nothing is ever reported, so stored shortcuts
// stay valid for a later session. The status text says why nothing happens, where it matters.
class NullHotKeyBackend : public HotKeyBackend {
    Q_OBJECT

public:
    explicit NullHotKeyBackend(const QString& statusText = {}, QObject* parent = nullptr)
        : HotKeyBackend(parent)
        , m_statusText(statusText)
    {}

    QString statusText() const override { return m_statusText; }
    bool firesHotKeys() const override { return false; }

    int registerHotKey(quint32 id, const Shortcut& shortcut) override;
    void unregisterHotKey(quint32 id) override;
    bool isTakenBySystem(const Shortcut& shortcut) override;

private:
    QString m_statusText;
};

} // namespace KeyboardShortcuts
