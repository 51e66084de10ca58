#pragma once

#include "KeyboardShortcuts/KeyboardLayout.h"

#include <QAbstractNativeEventFilter>

#include <xcb/xcb.h>

struct xkb_context;
struct xkb_keymap;
struct xkb_state;

namespace KeyboardShortcuts {

// The X server's current keymap, read through xkbcommon: the text of a key in the active layout
// group with no modifiers. The keymap is read on first use and read again after the server
// announces a new keymap or a change of group (seen through Qt's native event filter when
// `watchChanges` is set).
class XkbKeyboardLayout : public KeyboardLayout, public QAbstractNativeEventFilter {
public:
    explicit XkbKeyboardLayout(xcb_connection_t* connection, bool watchChanges = true);
    ~XkbKeyboardLayout() override;

    std::optional<QString> unmodifiedText(quint32 xKeyCode) const override;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    bool load() const;
    void unload() const;

    xcb_connection_t* m_connection;
    bool m_hasExtension = false;
    quint8 m_xkbFirstEvent = 0;
    qint32 m_deviceId = -1;
    xkb_context* m_context = nullptr;
    mutable xkb_keymap* m_keymap = nullptr;
    mutable xkb_state* m_state = nullptr;
};

} // namespace KeyboardShortcuts
