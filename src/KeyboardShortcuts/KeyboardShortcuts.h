#pragma once

// Chief header of the global shortcut module.
#include "KeyboardShortcuts/EventStream.h"
#include "KeyboardShortcuts/EventType.h"
#include "KeyboardShortcuts/HotKeyBackend.h"
#include "KeyboardShortcuts/Key.h"
#include "KeyboardShortcuts/ModifierFlags.h"
#include "KeyboardShortcuts/Name.h"
#include "KeyboardShortcuts/Shortcut.h"

#include <QLatin1StringView>
#include <QList>
#include <QSet>

#include <functional>
#include <memory>
#include <optional>

class Preferences;
class QObject;

// Named, user-recordable global shortcuts: stored in the preferences, registered with the system
// as hot keys and dispatched to the actions attached to their names. Everything runs on the main
// thread.
namespace KeyboardShortcuts {

using Action = std::function<void()>;

// Posted after every stored change by setShortcut or reset; user info "name" holds the Name.
inline constexpr QLatin1StringView shortcutByNameDidChange{
    "KeyboardShortcuts_shortcutByNameDidChange"};
// Posted when a recorder starts or stops capturing; user info "isActive" holds a bool.
inline constexpr QLatin1StringView recorderActiveStatusDidChange{
    "KeyboardShortcuts_recorderActiveStatusDidChange"};
// Posted when the system took, gave up or refused a hot key, or the backend has a new status
// text; no user info.
inline constexpr QLatin1StringView hotKeyRegistrationDidChange{
    "KeyboardShortcuts_hotKeyRegistrationDidChange"};
inline constexpr QLatin1StringView nameUserInfoKey{"name"};
inline constexpr QLatin1StringView isActiveUserInfoKey{"isActive"};

// The store the shortcuts live in: Preferences::standard() unless another one is set.
Preferences& preferences();
void setPreferences(Preferences* store);

// --- Storage ---

// The shortcut stored for `name`: none when the value is absent, false, not text, or not a
// valid shortcut record.
std::optional<Shortcut> getShortcut(const Name& name);
// Stores `shortcut` for `name` (registering it as a hot key) or clears it (false when the name
// has a default, no value otherwise), then posts shortcutByNameDidChange. Clearing a name without
// shortcut does nothing. Names that store the same combination share its hot key: it stays
// registered while one of them still stores it.
void setShortcut(const std::optional<Shortcut>& shortcut, const Name& name);
// Gives each name back its default shortcut, or none.
void reset(const QList<Name>& names);
// Resets every name that has a value in the store.
void resetAll();

// --- Actions ---

// Attaches an action to the press or release of the name's shortcut and registers the shortcut
// if it is not registered yet. Actions run in the order they were attached. With a context the
// action is dropped once the context is destroyed.
void onKeyDown(const Name& name, Action action);
void onKeyDown(const Name& name, const QObject* context, Action action);
void onKeyUp(const Name& name, Action action);
void onKeyUp(const Name& name, const QObject* context, Action action);
// Drops the name's actions and, unless an event stream still needs it, its hot key.
void removeHandler(const Name& name);
// Drops every action and every hot key that no event stream needs.
void removeAllHandlers();

// A stream of the name's presses and releases, live from the next turn of the event loop until
// the returned object is destroyed. The second form delivers one kind of event only.
std::unique_ptr<EventStream> eventStream(const Name& name);
std::unique_ptr<EventStream> eventStream(const Name& name, EventType type);

// --- Switches ---

// The master switch of all hot keys (initially on).
bool isEnabled();
void setEnabled(bool enabled);
// Whether the master switch is on and the name's shortcut is registered.
bool isEnabled(const Name& name);
// Registers / unregisters the stored shortcuts of the names.
void enable(const QList<Name>& names);
void disable(const QList<Name>& names);

// The shortcuts the module asked the system for and has not released since (a refused one stays
// here, so it is not retried until it is unregistered).
QSet<Shortcut> activeHotKeyShortcuts();

// Whether the module asked the system for the name's stored shortcut and the system refused it
// (another program holds it): the shortcut is stored but does nothing. Follow
// hotKeyRegistrationDidChange and shortcutByNameDidChange to keep a display of it current.
bool isRefusedBySystem(const Name& name);

// While true (a recorder is capturing) hot keys stay registered but no action runs.
bool isDispatchSuspended();
void setDispatchSuspended(bool suspended);

// Whether a popup menu holds the keyboard; set by the menu observer. While true the
// application's key events are matched against the hot keys instead.
bool isMenuTracking();
void setMenuTracking(bool tracking);

// Installs the hot-key backend (a null backend for none); registrations start afresh on it.
void setBackend(std::unique_ptr<HotKeyBackend> backend);
HotKeyBackend& backend();

// Installs the application-wide menu observer once an application object exists. Run by every
// Name constructor and by every registration.
void ensureOneTimeSetUp();

} // namespace KeyboardShortcuts
