#include "KeyboardShortcuts/X11HotKeyBackend.h"

#include "KeyboardShortcuts/KeyPositions.h"
#include "KeyboardShortcuts/ModifierFlags.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <xcb/xcb_keysyms.h>
// The XKB header of xcb names a structure member "explicit", which is a C++ keyword.
#define explicit xkb_explicit
#include <xcb/xkb.h>
#undef explicit

#include <cstdlib>

namespace KeyboardShortcuts {

namespace {

// Key symbols whose modifier the grabs need to know.
constexpr xcb_keysym_t numLockSymbol = 0xff7f;
constexpr xcb_keysym_t altLeftSymbol = 0xffe9;
constexpr xcb_keysym_t altRightSymbol = 0xffea;
constexpr xcb_keysym_t superLeftSymbol = 0xffeb;
constexpr xcb_keysym_t superRightSymbol = 0xffec;

// The modifier bit (Mod1 ... Mod5 and the rest) that holds one of `symbols`; 0 when none does.
quint16 modifierMaskFor(xcb_connection_t* connection, xcb_key_symbols_t* symbols,
                        std::initializer_list<xcb_keysym_t> wanted)
{
    QList<xcb_keycode_t> keyCodes;
    for (const xcb_keysym_t symbol : wanted) {
        xcb_keycode_t* codes = xcb_key_symbols_get_keycode(symbols, symbol);
        for (xcb_keycode_t* code = codes; code && *code != XCB_NO_SYMBOL; ++code)
            keyCodes.append(*code);
        std::free(codes);
    }
    if (keyCodes.isEmpty())
        return 0;
    xcb_get_modifier_mapping_reply_t* reply =
        xcb_get_modifier_mapping_reply(connection, xcb_get_modifier_mapping(connection), nullptr);
    if (!reply)
        return 0;
    quint16 mask = 0;
    const xcb_keycode_t* map = xcb_get_modifier_mapping_keycodes(reply);
    const int perModifier = reply->keycodes_per_modifier;
    for (int modifier = 0; modifier < 8 && !mask; ++modifier) {
        for (int i = 0; i < perModifier; ++i) {
            if (keyCodes.contains(map[modifier * perModifier + i])) {
                mask = quint16(1u << modifier);
                break;
            }
        }
    }
    std::free(reply);
    return mask;
}

} // namespace

X11HotKeyBackend::X11HotKeyBackend(xcb_connection_t* connection, int screenNumber, QObject* parent)
    : X11HotKeyBackend(connection, screenNumber, false)
{
    setParent(parent);
    if (QCoreApplication::instance())
        QCoreApplication::instance()->installNativeEventFilter(this);
}

X11HotKeyBackend::X11HotKeyBackend(xcb_connection_t* connection, int screenNumber,
                                   bool ownsConnection)
    : m_connection(connection)
    , m_ownsConnection(ownsConnection)
{
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenNumber && screens.rem > 1; ++i)
        xcb_screen_next(&screens);
    m_root = screens.data->root;

    // Detectable auto-repeat: a held key sends repeated presses and one release, instead of
    // release-press pairs that would look like separate presses.
    xcb_xkb_use_extension_reply_t* xkb = xcb_xkb_use_extension_reply(
        connection, xcb_xkb_use_extension(connection, XCB_XKB_MAJOR_VERSION, XCB_XKB_MINOR_VERSION),
        nullptr);
    if (xkb && xkb->supported) {
        std::free(xcb_xkb_per_client_flags_reply(
            connection,
            xcb_xkb_per_client_flags(connection, XCB_XKB_ID_USE_CORE_KBD,
                                     XCB_XKB_PER_CLIENT_FLAG_DETECTABLE_AUTO_REPEAT,
                                     XCB_XKB_PER_CLIENT_FLAG_DETECTABLE_AUTO_REPEAT, 0, 0, 0),
            nullptr));
    }
    std::free(xkb);
    readModifierMasks();
}

std::unique_ptr<X11HotKeyBackend> X11HotKeyBackend::connectTo(const QByteArray& displayName)
{
    int screenNumber = 0;
    xcb_connection_t* connection =
        xcb_connect(displayName.isEmpty() ? nullptr : displayName.constData(), &screenNumber);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return nullptr;
    }
    std::unique_ptr<X11HotKeyBackend> backend(new X11HotKeyBackend(connection, screenNumber, true));
    backend->m_notifier = new QSocketNotifier(xcb_get_file_descriptor(connection),
                                              QSocketNotifier::Read, backend.get());
    connect(backend->m_notifier, &QSocketNotifier::activated, backend.get(),
            &X11HotKeyBackend::readPendingEvents);
    return backend;
}

X11HotKeyBackend::~X11HotKeyBackend()
{
    // On Qt's connection nothing is sent: it may be closed already when the application object
    // is gone, and the server drops a client's grabs with its connection anyway.
    if (m_ownsConnection) {
        for (const auto& [id, grabbed] : m_grabs)
            ungrab(grabbed);
        xcb_disconnect(m_connection);
    }
}

void X11HotKeyBackend::readModifierMasks()
{
    xcb_key_symbols_t* symbols = xcb_key_symbols_alloc(m_connection);
    if (!symbols)
        return;
    m_numLockMask = modifierMaskFor(m_connection, symbols, {numLockSymbol});
    m_altMask = modifierMaskFor(m_connection, symbols, {altLeftSymbol, altRightSymbol});
    m_superMask = modifierMaskFor(m_connection, symbols, {superLeftSymbol, superRightSymbol});
    xcb_key_symbols_free(symbols);
    // The usual places when the keymap does not say.
    if (!m_altMask)
        m_altMask = XCB_MOD_MASK_1;
    if (!m_superMask)
        m_superMask = XCB_MOD_MASK_4;
}

std::optional<X11HotKeyBackend::Grab> X11HotKeyBackend::grabFor(const Shortcut& shortcut) const
{
    const std::optional<quint32> keyCode = KeyPositions::xKeyCode(shortcut.carbonKeyCode());
    // A stored record may carry bits beyond the five modifiers; they mean nothing here and the
    // combination is grabbed with the modifiers it has.
    const qint64 carbon = normalizedCarbonModifiers(shortcut.carbonModifiers());
    if (!keyCode || (carbon & CarbonModifier::function))
        return std::nullopt;
    quint16 modifiers = 0;
    if (carbon & CarbonModifier::command)
        modifiers |= XCB_MOD_MASK_CONTROL;
    if (carbon & CarbonModifier::control)
        modifiers |= m_superMask;
    if (carbon & CarbonModifier::option)
        modifiers |= m_altMask;
    if (carbon & CarbonModifier::shift)
        modifiers |= XCB_MOD_MASK_SHIFT;
    return Grab{static_cast<xcb_keycode_t>(*keyCode), modifiers};
}

QList<quint16> X11HotKeyBackend::lockVariants() const
{
    QList<quint16> variants{0, XCB_MOD_MASK_LOCK};
    if (m_numLockMask) {
        variants.append(m_numLockMask);
        variants.append(quint16(XCB_MOD_MASK_LOCK | m_numLockMask));
    }
    return variants;
}

int X11HotKeyBackend::grab(const Grab& grab)
{
    const QList<quint16> variants = lockVariants();
    QList<xcb_void_cookie_t> cookies;
    for (const quint16 variant : variants) {
        cookies.append(xcb_grab_key_checked(m_connection, 0, m_root, grab.modifiers | variant,
                                            grab.keyCode, XCB_GRAB_MODE_ASYNC,
                                            XCB_GRAB_MODE_ASYNC));
    }
    int status = noError;
    QList<quint16> obtained;
    for (qsizetype i = 0; i < cookies.size(); ++i) {
        if (xcb_generic_error_t* error = xcb_request_check(m_connection, cookies[i])) {
            if (status == noError)
                status = error->error_code;
            std::free(error);
        } else {
            obtained.append(variants[i]);
        }
    }
    if (status != noError) {
        for (const quint16 variant : std::as_const(obtained))
            xcb_ungrab_key(m_connection, grab.keyCode, m_root, grab.modifiers | variant);
        xcb_flush(m_connection);
    }
    if (m_notifier) {
        // Events read while waiting for the answers sit in the connection's queue, where the
        // socket notifier does not see them.
        QMetaObject::invokeMethod(this, &X11HotKeyBackend::readPendingEvents, Qt::QueuedConnection);
    }
    return status;
}

void X11HotKeyBackend::ungrab(const Grab& grab)
{
    for (const quint16 variant : lockVariants())
        xcb_ungrab_key(m_connection, grab.keyCode, m_root, grab.modifiers | variant);
    xcb_flush(m_connection);
}

int X11HotKeyBackend::registerHotKey(quint32 id, const Shortcut& shortcut)
{
    const std::optional<Grab> wanted = grabFor(shortcut);
    if (!wanted)
        return invalidParameter;
    for (const auto& [otherId, grabbed] : m_grabs) {
        if (grabbed == *wanted && otherId != id)
            return hotKeyExists;
    }
    const int status = grab(*wanted);
    if (status == noError)
        m_grabs.insert_or_assign(id, *wanted);
    return status;
}

void X11HotKeyBackend::unregisterHotKey(quint32 id)
{
    const auto found = m_grabs.find(id);
    if (found == m_grabs.end())
        return;
    ungrab(found->second);
    m_grabs.erase(found);
    m_pressed.removeIf([id](const auto& entry) { return entry.value() == id; });
}

bool X11HotKeyBackend::isTakenBySystem(const Shortcut& shortcut)
{
    const std::optional<Grab> wanted = grabFor(shortcut);
    if (!wanted)
        return false;
    for (const auto& [id, grabbed] : m_grabs) {
        if (grabbed == *wanted)
            return false;
    }
    const int status = grab(*wanted);
    if (status == noError)
        ungrab(*wanted);
    return status == badAccess;
}

bool X11HotKeyBackend::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*)
{
    if (eventType != "xcb_generic_event_t")
        return false;
    return handleEvent(static_cast<const xcb_generic_event_t*>(message));
}

bool X11HotKeyBackend::handleEvent(const xcb_generic_event_t* event)
{
    switch (event->response_type & ~0x80) {
    case XCB_KEY_PRESS: {
        const auto* press = reinterpret_cast<const xcb_key_press_event_t*>(event);
        if (press->event != m_root)
            return false;
        const quint16 relevant =
            XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_CONTROL | m_altMask | m_superMask;
        const quint16 modifiers = press->state & relevant;
        for (const auto& [id, grabbed] : m_grabs) {
            if (grabbed.keyCode != press->detail || grabbed.modifiers != modifiers)
                continue;
            // A repeated press of a held key.
            if (m_pressed.contains(press->detail))
                return true;
            m_pressed.insert(press->detail, id);
            Q_EMIT hotKeyPressed(id);
            return true;
        }
        return false;
    }
    case XCB_KEY_RELEASE: {
        const auto* release = reinterpret_cast<const xcb_key_release_event_t*>(event);
        if (release->event != m_root)
            return false;
        const auto pressed = m_pressed.constFind(release->detail);
        if (pressed == m_pressed.constEnd())
            return false;
        const quint32 id = *pressed;
        m_pressed.erase(pressed);
        Q_EMIT hotKeyReleased(id);
        return true;
    }
    case XCB_MAPPING_NOTIFY:
        // Num Lock, Alt or Super may have moved; grabs made from now on use the new places.
        readModifierMasks();
        return false;
    default:
        return false;
    }
}

void X11HotKeyBackend::readPendingEvents()
{
    while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection)) {
        handleEvent(event);
        std::free(event);
    }
}

} // namespace KeyboardShortcuts
