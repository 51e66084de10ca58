#include "KeyboardShortcuts/CarbonKeyboardShortcuts.h"

#include "KeyboardShortcuts/KeyboardShortcuts.h"
#include "KeyboardShortcuts/ModifierFlags.h"
#include "KeyboardShortcuts/NullHotKeyBackend.h"
#include "KeyboardShortcuts/QtKeyMapping.h"
#include "platform/Log.h"
#include "platform/NotificationCenter.h"

#include <algorithm>
#include <limits>

namespace KeyboardShortcuts {

CarbonKeyboardShortcuts::CarbonKeyboardShortcuts()
    : m_backend(std::make_unique<NullHotKeyBackend>())
{}

CarbonKeyboardShortcuts& CarbonKeyboardShortcuts::shared()
{
    static CarbonKeyboardShortcuts layer;
    return layer;
}

void CarbonKeyboardShortcuts::setBackend(std::unique_ptr<HotKeyBackend> backend)
{
    for (const auto& [id, hotKey] : m_hotKeyTable) {
        if (hotKey.isRegistered)
            m_backend->unregisterHotKey(id);
    }
    m_hotKeyTable.clear();
    m_rawPressed.clear();
    m_handlerInstalled = false;
    m_hotKeyEventsRouted = false;
    m_rawKeyEventsRouted = false;
    m_backend = backend ? std::move(backend) : std::make_unique<NullHotKeyBackend>();
    connect(m_backend.get(), &HotKeyBackend::statusChanged, this,
            &CarbonKeyboardShortcuts::postTableChange);
    postTableChange();
}

void CarbonKeyboardShortcuts::postTableChange() const
{
    NotificationCenter::defaultCenter().post(hotKeyRegistrationDidChange);
}

bool CarbonKeyboardShortcuts::hasHotKey(const Shortcut& shortcut) const
{
    return std::any_of(m_hotKeyTable.begin(), m_hotKeyTable.end(),
                       [&shortcut](const auto& entry) { return entry.second.shortcut == shortcut; });
}

void CarbonKeyboardShortcuts::logRegistrationError(const Shortcut& shortcut, int status) const
{
    Log::line(QStringLiteral("Error registering hotkey ") + QtKeyMapping::shownText(shortcut) +
              QStringLiteral(": ") + QString::number(status));
}

void CarbonKeyboardShortcuts::registerShortcut(const Shortcut& shortcut, Callback onKeyDown,
                                               Callback onKeyUp)
{
    if (m_lastHotKeyId == std::numeric_limits<quint32>::max()) {
        logRegistrationError(shortcut, HotKeyBackend::invalidParameter);
        return;
    }
    const quint32 id = ++m_lastHotKeyId;
    const bool fits = shortcut.carbonKeyCode() >= 0 &&
                      shortcut.carbonKeyCode() <= std::numeric_limits<quint32>::max() &&
                      shortcut.carbonModifiers() >= 0 &&
                      shortcut.carbonModifiers() <= std::numeric_limits<quint32>::max();
    const int status =
        fits ? m_backend->registerHotKey(id, shortcut) : HotKeyBackend::invalidParameter;
    if (status != HotKeyBackend::noError) {
        logRegistrationError(shortcut, status);
        postTableChange();
        return;
    }
    m_hotKeyTable.insert_or_assign(
        id, HotKey{shortcut, id, true, std::move(onKeyDown), std::move(onKeyUp)});
    if (!m_handlerInstalled)
        installHandler();
    postTableChange();
}

void CarbonKeyboardShortcuts::dropRefused(quint32 id, int status)
{
    const auto found = m_hotKeyTable.find(id);
    if (found == m_hotKeyTable.end())
        return;
    logRegistrationError(found->second.shortcut, status);
    m_rawPressed.remove(found->second.shortcut.carbonKeyCode());
    m_hotKeyTable.erase(found);
    postTableChange();
}

void CarbonKeyboardShortcuts::installHandler()
{
    connect(m_backend.get(), &HotKeyBackend::hotKeyPressed, this,
            [this](quint32 id) { handleHotKeyEvent(EventType::keyDown, id); });
    connect(m_backend.get(), &HotKeyBackend::hotKeyReleased, this,
            [this](quint32 id) { handleHotKeyEvent(EventType::keyUp, id); });
    connect(m_backend.get(), &HotKeyBackend::hotKeyRefused, this,
            &CarbonKeyboardShortcuts::dropRefused);
    m_handlerInstalled = true;
    refreshEventRouting();
}

void CarbonKeyboardShortcuts::unregisterShortcut(const Shortcut& shortcut)
{
    bool changed = false;
    for (auto it = m_hotKeyTable.begin(); it != m_hotKeyTable.end();) {
        if (it->second.shortcut == shortcut) {
            if (it->second.isRegistered)
                m_backend->unregisterHotKey(it->first);
            m_rawPressed.remove(shortcut.carbonKeyCode());
            it = m_hotKeyTable.erase(it);
            changed = true;
        } else {
            ++it;
        }
    }
    if (changed)
        postTableChange();
}

void CarbonKeyboardShortcuts::setEnabled(bool enabled)
{
    if (m_isEnabled == enabled)
        return;
    m_isEnabled = enabled;
    refreshEventRouting();
}

void CarbonKeyboardShortcuts::setMenuTracking(bool tracking)
{
    if (m_menuTracking == tracking)
        return;
    m_menuTracking = tracking;
    refreshEventRouting();
}

void CarbonKeyboardShortcuts::unregisterAllFromSystem()
{
    for (auto& [id, hotKey] : m_hotKeyTable) {
        if (hotKey.isRegistered) {
            m_backend->unregisterHotKey(id);
            hotKey.isRegistered = false;
        }
    }
}

void CarbonKeyboardShortcuts::refreshEventRouting()
{
    if (!m_handlerInstalled)
        return;
    if (m_isEnabled && !m_menuTracking) {
        for (auto it = m_hotKeyTable.begin(); it != m_hotKeyTable.end();) {
            HotKey& hotKey = it->second;
            if (!hotKey.isRegistered) {
                const int status = m_backend->registerHotKey(it->first, hotKey.shortcut);
                if (status != HotKeyBackend::noError) {
                    logRegistrationError(hotKey.shortcut, status);
                    it = m_hotKeyTable.erase(it);
                    postTableChange();
                    continue;
                }
                hotKey.isRegistered = true;
            }
            ++it;
        }
        m_rawKeyEventsRouted = false;
        m_rawPressed.clear();
        m_hotKeyEventsRouted = true;
    } else if (m_isEnabled) {
        unregisterAllFromSystem();
        m_hotKeyEventsRouted = false;
        m_rawKeyEventsRouted = true;
    } else {
        unregisterAllFromSystem();
        m_hotKeyEventsRouted = false;
        m_rawKeyEventsRouted = false;
        m_rawPressed.clear();
    }
}

void CarbonKeyboardShortcuts::handleHotKeyEvent(EventType type, quint32 id)
{
    if (!m_hotKeyEventsRouted)
        return;
    const auto found = m_hotKeyTable.find(id);
    if (found == m_hotKeyTable.end())
        return;
    // Copies: a callback may change the table (for example by setting another shortcut).
    const Shortcut shortcut = found->second.shortcut;
    const Callback callback =
        type == EventType::keyDown ? found->second.onKeyDown : found->second.onKeyUp;
    if (callback)
        callback(shortcut);
}

bool CarbonKeyboardShortcuts::handleRawKeyEvent(EventType type, const Shortcut& shortcut,
                                                bool isAutoRepeat)
{
    if (!m_rawKeyEventsRouted)
        return false;
    std::optional<quint32> id;
    if (const auto pressed = m_rawPressed.constFind(shortcut.carbonKeyCode());
        pressed != m_rawPressed.constEnd() && m_hotKeyTable.count(*pressed)) {
        if (isAutoRepeat)
            return true;
        if (type == EventType::keyUp) {
            id = *pressed;
            m_rawPressed.erase(pressed);
        }
    }
    if (!id) {
        const qint64 modifiers = normalizedCarbonModifiers(shortcut.carbonModifiers());
        for (const auto& [candidate, hotKey] : m_hotKeyTable) {
            if (hotKey.shortcut.carbonKeyCode() == shortcut.carbonKeyCode() &&
                hotKey.shortcut.carbonModifiers() == modifiers) {
                id = candidate;
                break;
            }
        }
        if (!id)
            return false;
        if (type == EventType::keyDown)
            m_rawPressed.insert(shortcut.carbonKeyCode(), *id);
    }
    const HotKey& hotKey = m_hotKeyTable.at(*id);
    const Shortcut fired = hotKey.shortcut;
    const Callback callback = type == EventType::keyDown ? hotKey.onKeyDown : hotKey.onKeyUp;
    if (callback)
        callback(fired);
    return true;
}

QList<CarbonKeyboardShortcuts::HotKey> CarbonKeyboardShortcuts::hotKeys() const
{
    QList<HotKey> list;
    for (const auto& [id, hotKey] : m_hotKeyTable)
        list.append(hotKey);
    return list;
}

} // namespace KeyboardShortcuts
