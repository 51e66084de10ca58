#pragma once

#include "KeyboardShortcuts/KeyboardLayout.h"

#include <QAbstractNativeEventFilter>

#include <xcb/xcb.h>

struct xkb_context;
struct xkb_keymap;
struct xkb_state;

namespace KeyboardShortcuts {

// The X server's current keymap, read through xkbcommon: the text of a key with no modifiers in
// the current ASCII-capable layout group. That is the active group when its letter keys give
// ASCII letters, else the first group of the keymap that does (Russian and English: the English
// group), the group Qt also takes for menu shortcuts, so names, clash checks and menus agree. A
// dead key gives the character it stands for (the "^" of a German keyboard). The keymap is read
// on first use and read again after the server announces a new keymap or a change of group (seen
// through Qt's native event filter when `watchChanges` is set).
class XkbKeyboardLayout : public KeyboardLayout, public QAbstractNativeEventFilter {
public:
    explicit XkbKeyboardLayout(xcb_connection_t* connection, bool watchChanges = true);
    // A keymap compiled from layout names (for example "ru,us") with `activeGroup` active,
    // without a display.
    XkbKeyboardLayout(const QString& layouts, quint32 activeGroup);
    ~XkbKeyboardLayout() override;

    std::optional<QString> unmodifiedText(quint32 xKeyCode) const override;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    bool load() const;
    void unload() const;
    // Creates the state for the keymap with `activeGroup` or the ASCII-capable group instead.
    bool useGroup(quint32 activeGroup) const;

    xcb_connection_t* m_connection = nullptr;
    QByteArray m_layoutNames;
    quint32 m_namedGroup = 0;
    bool m_hasExtension = false;
    quint8 m_xkbFirstEvent = 0;
    qint32 m_deviceId = -1;
    xkb_context* m_context = nullptr;
    mutable xkb_keymap* m_keymap = nullptr;
    mutable xkb_state* m_state = nullptr;
};

} // namespace KeyboardShortcuts
