#include "KeyboardShortcuts/KeyboardShortcuts.h"

#include "KeyboardShortcuts/CarbonKeyboardShortcuts.h"
#include "KeyboardShortcuts/MenuTrackingObserver.h"
#include "model/PreferenceKeys.h"
#include "model/Preferences.h"
#include "platform/NotificationCenter.h"

#include <QCoreApplication>
#include <QPointer>

#include <algorithm>
#include <utility>

namespace KeyboardShortcuts {

namespace Internal {
void attachStream(EventStream* stream);
void detachStream(EventStream* stream);
} // namespace Internal

namespace {

struct AttachedAction {
    Action action;
    bool hasContext = false;
    QPointer<QObject> context;

    bool isAlive() const { return !hasContext || context; }
};

using HandlerMap = QList<std::pair<Name, QList<AttachedAction>>>;

struct ModuleState {
    HandlerMap pressHandlers;
    HandlerMap releaseHandlers;
    // Streams listen to presses and releases alike; each filters what it delivers.
    QList<QPointer<EventStream>> streams;
    QSet<Shortcut> activeHotKeyShortcuts;
    bool dispatchSuspended = false;
    Preferences* store = nullptr;
    QPointer<MenuTrackingObserver> menuObserver;
};

ModuleState& state()
{
    static ModuleState module;
    return module;
}

CarbonKeyboardShortcuts& layer()
{
    return CarbonKeyboardShortcuts::shared();
}

void postChange(const Name& name)
{
    NotificationCenter::defaultCenter().post(shortcutByNameDidChange,
                                             {{nameUserInfoKey, QVariant::fromValue(name)}});
}

void dispatch(EventType type, const Shortcut& fired)
{
    ModuleState& module = state();
    if (module.dispatchSuspended)
        return;
    // Copies: an action may attach or remove actions while the list is walked.
    const HandlerMap handlers =
        type == EventType::keyDown ? module.pressHandlers : module.releaseHandlers;
    for (const auto& [name, actions] : handlers) {
        if (getShortcut(name) != fired)
            continue;
        for (const AttachedAction& attached : actions) {
            if (attached.isAlive())
                attached.action();
        }
    }
    const QList<QPointer<EventStream>> streams = module.streams;
    for (const QPointer<EventStream>& stream : streams) {
        if (stream && getShortcut(stream->name()) == fired)
            stream->deliver(type);
    }
}

void unregisterShortcut(const Shortcut& shortcut)
{
    layer().unregisterShortcut(shortcut);
    state().activeHotKeyShortcuts.remove(shortcut);
}

// The names that have a value in the store, of whatever type.
QList<Name> storedNames()
{
    QList<Name> names;
    const QStringList keys = preferences().allKeys();
    for (const QString& key : keys) {
        if (key.startsWith(PreferenceKeys::keyboardShortcutPrefix))
            names.append(Name(key.mid(PreferenceKeys::keyboardShortcutPrefix.size())));
    }
    return names;
}

// Unregisters the shortcut `name` gave up, unless another name stores it too: names that store
// the same combination share one hot key, which stays while one of them still stores it.
void releaseShortcut(const Shortcut& shortcut, const Name& name)
{
    const QList<Name> names = storedNames();
    if (std::none_of(names.begin(), names.end(), [&](const Name& other) {
            return other != name && getShortcut(other) == shortcut;
        }))
        unregisterShortcut(shortcut);
}

void registerShortcut(const Shortcut& shortcut)
{
    layer().registerShortcut(
        shortcut, [](const Shortcut& fired) { dispatch(EventType::keyDown, fired); },
        [](const Shortcut& fired) { dispatch(EventType::keyUp, fired); });
    state().activeHotKeyShortcuts.insert(shortcut);
}

void registerIfNeeded(const Name& name)
{
    ensureOneTimeSetUp();
    const std::optional<Shortcut> shortcut = getShortcut(name);
    if (shortcut && !state().activeHotKeyShortcuts.contains(*shortcut))
        registerShortcut(*shortcut);
}

bool isUsedByStreams(const Shortcut& shortcut)
{
    for (const QPointer<EventStream>& stream : std::as_const(state().streams)) {
        if (stream && stream->isListening() && getShortcut(stream->name()) == shortcut)
            return true;
    }
    return false;
}

bool isUsedByActions(const Shortcut& shortcut)
{
    for (const HandlerMap* map : {&state().pressHandlers, &state().releaseHandlers}) {
        for (const auto& entry : *map) {
            if (getShortcut(entry.first) == shortcut)
                return true;
        }
    }
    return false;
}

void addAction(HandlerMap& map, const Name& name, const QObject* context, bool hasContext,
               Action action)
{
    AttachedAction attached{std::move(action), hasContext,
                            QPointer<QObject>(const_cast<QObject*>(context))};
    auto entry = std::find_if(map.begin(), map.end(),
                              [&name](const auto& pair) { return pair.first == name; });
    if (entry == map.end())
        map.append({name, {std::move(attached)}});
    else
        entry->second.append(std::move(attached));
    registerIfNeeded(name);
}

void removeName(HandlerMap& map, const Name& name)
{
    map.removeIf([&name](const auto& pair) { return pair.first == name; });
}

} // namespace

namespace Internal {

void attachStream(EventStream* stream)
{
    state().streams.append(stream);
    registerIfNeeded(stream->name());
}

void detachStream(EventStream* stream)
{
    state().streams.removeIf(
        [stream](const QPointer<EventStream>& item) { return !item || item == stream; });
    const std::optional<Shortcut> shortcut = getShortcut(stream->name());
    if (shortcut && !isUsedByActions(*shortcut) && !isUsedByStreams(*shortcut))
        unregisterShortcut(*shortcut);
}

} // namespace Internal

Preferences& preferences()
{
    return state().store ? *state().store : Preferences::standard();
}

void setPreferences(Preferences* store)
{
    state().store = store;
}

std::optional<Shortcut> getShortcut(const Name& name)
{
    const std::optional<QString> text = preferences().text(name.preferenceKey());
    if (!text)
        return std::nullopt;
    return Shortcut::fromJson(text->toUtf8());
}

void setShortcut(const std::optional<Shortcut>& shortcut, const Name& name)
{
    const std::optional<Shortcut> current = getShortcut(name);
    if (!shortcut) {
        if (!current)
            return;
        if (name.defaultShortcut())
            preferences().setBoolean(name.preferenceKey(), false);
        else
            preferences().remove(name.preferenceKey());
        releaseShortcut(*current, name);
        postChange(name);
        return;
    }
    const QString json = QString::fromUtf8(shortcut->toJson());
    if (current)
        releaseShortcut(*current, name);
    if (!state().activeHotKeyShortcuts.contains(*shortcut))
        registerShortcut(*shortcut);
    preferences().setText(name.preferenceKey(), json);
    postChange(name);
}

void reset(const QList<Name>& names)
{
    for (const Name& name : names) {
        if (name.defaultShortcut()) {
            setShortcut(name.defaultShortcut(), name);
            continue;
        }
        const std::optional<Shortcut> current = getShortcut(name);
        preferences().remove(name.preferenceKey());
        if (current)
            releaseShortcut(*current, name);
        postChange(name);
    }
}

void resetAll()
{
    reset(storedNames());
}

void onKeyDown(const Name& name, Action action)
{
    addAction(state().pressHandlers, name, nullptr, false, std::move(action));
}

void onKeyDown(const Name& name, const QObject* context, Action action)
{
    addAction(state().pressHandlers, name, context, true, std::move(action));
}

void onKeyUp(const Name& name, Action action)
{
    addAction(state().releaseHandlers, name, nullptr, false, std::move(action));
}

void onKeyUp(const Name& name, const QObject* context, Action action)
{
    addAction(state().releaseHandlers, name, context, true, std::move(action));
}

void removeHandler(const Name& name)
{
    removeName(state().pressHandlers, name);
    removeName(state().releaseHandlers, name);
    // The hot key stays while another name's actions or a stream still use the combination.
    const std::optional<Shortcut> shortcut = getShortcut(name);
    if (shortcut && !isUsedByActions(*shortcut) && !isUsedByStreams(*shortcut))
        unregisterShortcut(*shortcut);
}

void removeAllHandlers()
{
    for (const HandlerMap* map : {&state().pressHandlers, &state().releaseHandlers}) {
        for (const auto& entry : *map) {
            const std::optional<Shortcut> shortcut = getShortcut(entry.first);
            if (shortcut && !isUsedByStreams(*shortcut))
                unregisterShortcut(*shortcut);
        }
    }
    state().pressHandlers.clear();
    state().releaseHandlers.clear();
}

std::unique_ptr<EventStream> eventStream(const Name& name)
{
    return std::make_unique<EventStream>(name, std::nullopt);
}

std::unique_ptr<EventStream> eventStream(const Name& name, EventType type)
{
    return std::make_unique<EventStream>(name, type);
}

bool isEnabled()
{
    return layer().isEnabled();
}

void setEnabled(bool enabled)
{
    layer().setEnabled(enabled);
}

bool isEnabled(const Name& name)
{
    const std::optional<Shortcut> shortcut = getShortcut(name);
    return isEnabled() && shortcut && state().activeHotKeyShortcuts.contains(*shortcut);
}

void enable(const QList<Name>& names)
{
    for (const Name& name : names)
        registerIfNeeded(name);
}

void disable(const QList<Name>& names)
{
    for (const Name& name : names) {
        if (const std::optional<Shortcut> shortcut = getShortcut(name))
            unregisterShortcut(*shortcut);
    }
}

QSet<Shortcut> activeHotKeyShortcuts()
{
    return state().activeHotKeyShortcuts;
}

bool isRefusedBySystem(const Name& name)
{
    const std::optional<Shortcut> shortcut = getShortcut(name);
    return shortcut && state().activeHotKeyShortcuts.contains(*shortcut) &&
           !layer().hasHotKey(*shortcut);
}

bool isDispatchSuspended()
{
    return state().dispatchSuspended;
}

void setDispatchSuspended(bool suspended)
{
    state().dispatchSuspended = suspended;
}

bool isMenuTracking()
{
    return layer().isMenuTracking();
}

void setMenuTracking(bool tracking)
{
    layer().setMenuTracking(tracking);
}

void setBackend(std::unique_ptr<HotKeyBackend> backend)
{
    layer().setBackend(std::move(backend));
    state().activeHotKeyShortcuts.clear();
    // Names that already have actions or streams get their hot keys on the new backend.
    QList<Name> names;
    for (const HandlerMap* map : {&state().pressHandlers, &state().releaseHandlers}) {
        for (const auto& entry : *map)
            names.append(entry.first);
    }
    for (const QPointer<EventStream>& stream : std::as_const(state().streams)) {
        if (stream)
            names.append(stream->name());
    }
    enable(names);
}

HotKeyBackend& backend()
{
    return layer().backend();
}

void ensureOneTimeSetUp()
{
    ModuleState& module = state();
    if (module.menuObserver || !QCoreApplication::instance())
        return;
    module.menuObserver = new MenuTrackingObserver(QCoreApplication::instance());
    QCoreApplication::instance()->installEventFilter(module.menuObserver);
}

} // namespace KeyboardShortcuts
