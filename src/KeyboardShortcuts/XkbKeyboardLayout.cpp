#include "KeyboardShortcuts/XkbKeyboardLayout.h"

#include <QCoreApplication>

// The XKB header of xcb names a structure member "explicit", which is a C++ keyword.
#define explicit xkb_explicit
#include <xcb/xkb.h>
#undef explicit
#include <xkbcommon/xkbcommon-x11.h>
#include <xkbcommon/xkbcommon.h>

namespace KeyboardShortcuts {

namespace {

// The XKB events after which the keymap or the active group may differ.
constexpr quint8 xkbNewKeyboardNotify = 0;
constexpr quint8 xkbMapNotify = 1;
constexpr quint8 xkbStateNotify = 2;

} // namespace

XkbKeyboardLayout::XkbKeyboardLayout(xcb_connection_t* connection, bool watchChanges)
    : m_connection(connection)
{
    quint8 firstError = 0;
    m_hasExtension = xkb_x11_setup_xkb_extension(connection, XKB_X11_MIN_MAJOR_XKB_VERSION,
                                                 XKB_X11_MIN_MINOR_XKB_VERSION,
                                                 XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS, nullptr,
                                                 nullptr, &m_xkbFirstEvent, &firstError) == 1;
    if (m_hasExtension)
        m_deviceId = xkb_x11_get_core_keyboard_device_id(connection);
    m_context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    if (watchChanges && QCoreApplication::instance())
        QCoreApplication::instance()->installNativeEventFilter(this);
}

XkbKeyboardLayout::~XkbKeyboardLayout()
{
    unload();
    if (m_context)
        xkb_context_unref(m_context);
}

bool XkbKeyboardLayout::load() const
{
    if (m_state)
        return true;
    if (!m_hasExtension || m_deviceId < 0 || !m_context)
        return false;
    m_keymap = xkb_x11_keymap_new_from_device(m_context, m_connection, m_deviceId,
                                              XKB_KEYMAP_COMPILE_NO_FLAGS);
    if (!m_keymap)
        return false;
    // The server's state tells the active layout group; the modifiers are left out so a key
    // gives its unshifted text.
    xkb_layout_index_t group = 0;
    if (xkb_state* serverState =
            xkb_x11_state_new_from_device(m_keymap, m_connection, m_deviceId)) {
        group = xkb_state_serialize_layout(serverState, XKB_STATE_LAYOUT_EFFECTIVE);
        xkb_state_unref(serverState);
    }
    m_state = xkb_state_new(m_keymap);
    if (!m_state) {
        unload();
        return false;
    }
    xkb_state_update_mask(m_state, 0, 0, 0, 0, 0, group);
    return true;
}

void XkbKeyboardLayout::unload() const
{
    if (m_state)
        xkb_state_unref(m_state);
    if (m_keymap)
        xkb_keymap_unref(m_keymap);
    m_state = nullptr;
    m_keymap = nullptr;
}

std::optional<QString> XkbKeyboardLayout::unmodifiedText(quint32 xKeyCode) const
{
    if (!load())
        return std::nullopt;
    char buffer[64];
    const int length = xkb_state_key_get_utf8(m_state, xKeyCode, buffer, sizeof buffer);
    if (length <= 0 || length >= int(sizeof buffer))
        return QString();
    return QString::fromUtf8(buffer, length);
}

bool XkbKeyboardLayout::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*)
{
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    const quint8 type = event->response_type & ~0x80;
    if (type == XCB_MAPPING_NOTIFY) {
        unload();
    } else if (m_hasExtension && type == m_xkbFirstEvent) {
        // The XKB event kind is the second byte of every XKB event.
        const quint8 kind = event->pad0;
        if (kind == xkbNewKeyboardNotify || kind == xkbMapNotify) {
            unload();
        } else if (kind == xkbStateNotify) {
            const auto* state = reinterpret_cast<const xcb_xkb_state_notify_event_t*>(event);
            constexpr quint16 groupParts =
                XCB_XKB_STATE_PART_GROUP_STATE | XCB_XKB_STATE_PART_GROUP_BASE |
                XCB_XKB_STATE_PART_GROUP_LATCH | XCB_XKB_STATE_PART_GROUP_LOCK;
            if (state->changed & groupParts)
                unload();
        }
    }
    return false;
}

} // namespace KeyboardShortcuts
