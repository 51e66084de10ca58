#include "KeyboardShortcuts/XkbKeyboardLayout.h"

#include <QCoreApplication>

// The XKB header of xcb names a structure member "explicit", which is a C++ keyword.
#define explicit xkb_explicit
#include <xcb/xkb.h>
#undef explicit
#include <xkbcommon/xkbcommon-x11.h>
#include <xkbcommon/xkbcommon.h>

#include <iterator>

namespace KeyboardShortcuts {

namespace {

// The XKB events after which the keymap or the active group may differ.
constexpr quint8 xkbNewKeyboardNotify = 0;
constexpr quint8 xkbMapNotify = 1;
constexpr quint8 xkbStateNotify = 2;

// The X key codes of the 26 letter keys of a US keyboard.
constexpr xkb_keycode_t letterKeys[] = {24, 25, 26, 27, 28, 29, 30, 31, 32, 33, 38, 39, 40,
                                        41, 42, 43, 44, 45, 46, 52, 53, 54, 55, 56, 57, 58};

// A group is ASCII-capable when most letter keys give ASCII letters. Most, not all: Dvorak puts
// punctuation on some of them, Turkish gives a dotless i.
bool isAsciiCapable(xkb_keymap* keymap, xkb_layout_index_t group)
{
    int asciiLetters = 0;
    for (const xkb_keycode_t key : letterKeys) {
        const xkb_keysym_t* symbols = nullptr;
        if (xkb_keymap_key_get_syms_by_level(keymap, key, group, 0, &symbols) < 1)
            continue;
        const xkb_keysym_t symbol = symbols[0];
        if ((symbol >= 'a' && symbol <= 'z') || (symbol >= 'A' && symbol <= 'Z'))
            ++asciiLetters;
    }
    return asciiLetters > int(std::size(letterKeys)) / 2;
}

// The character a dead key puts before the next letter, shown as the key's name; 0 for other
// key symbols.
char16_t deadKeyCharacter(xkb_keysym_t symbol)
{
    switch (symbol) {
    case XKB_KEY_dead_grave: return u'`';
    case XKB_KEY_dead_acute: return u'\u00B4';
    case XKB_KEY_dead_circumflex: return u'^';
    case XKB_KEY_dead_tilde: return u'~';
    case XKB_KEY_dead_macron: return u'\u00AF';
    case XKB_KEY_dead_breve: return u'\u02D8';
    case XKB_KEY_dead_abovedot: return u'\u02D9';
    case XKB_KEY_dead_diaeresis: return u'\u00A8';
    case XKB_KEY_dead_abovering: return u'\u02DA';
    case XKB_KEY_dead_doubleacute: return u'\u02DD';
    case XKB_KEY_dead_caron: return u'\u02C7';
    case XKB_KEY_dead_cedilla: return u'\u00B8';
    case XKB_KEY_dead_ogonek: return u'\u02DB';
    default: return 0;
    }
}

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

XkbKeyboardLayout::XkbKeyboardLayout(const QString& layouts, quint32 activeGroup)
    : m_layoutNames(layouts.toUtf8())
    , m_namedGroup(activeGroup)
{
    m_context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
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
    if (!m_context)
        return false;
    if (!m_connection) {
        const xkb_rule_names names{nullptr, nullptr, m_layoutNames.constData(), nullptr, nullptr};
        m_keymap = xkb_keymap_new_from_names(m_context, &names, XKB_KEYMAP_COMPILE_NO_FLAGS);
        return m_keymap && useGroup(m_namedGroup);
    }
    if (!m_hasExtension || m_deviceId < 0)
        return false;
    m_keymap = xkb_x11_keymap_new_from_device(m_context, m_connection, m_deviceId,
                                              XKB_KEYMAP_COMPILE_NO_FLAGS);
    if (!m_keymap)
        return false;
    // The server's state tells the active layout group.
    xkb_layout_index_t group = 0;
    if (xkb_state* serverState =
            xkb_x11_state_new_from_device(m_keymap, m_connection, m_deviceId)) {
        group = xkb_state_serialize_layout(serverState, XKB_STATE_LAYOUT_EFFECTIVE);
        xkb_state_unref(serverState);
    }
    return useGroup(group);
}

bool XkbKeyboardLayout::useGroup(quint32 activeGroup) const
{
    xkb_layout_index_t group = activeGroup;
    if (!isAsciiCapable(m_keymap, group)) {
        const xkb_layout_index_t groups = xkb_keymap_num_layouts(m_keymap);
        for (xkb_layout_index_t candidate = 0; candidate < groups; ++candidate) {
            if (isAsciiCapable(m_keymap, candidate)) {
                group = candidate;
                break;
            }
        }
    }
    // No modifiers, so a key gives its unshifted text.
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
    if (length >= int(sizeof buffer))
        return QString();
    if (length <= 0) {
        const char16_t dead = deadKeyCharacter(xkb_state_key_get_one_sym(m_state, xKeyCode));
        return dead ? QString(QChar(dead)) : QString();
    }
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
