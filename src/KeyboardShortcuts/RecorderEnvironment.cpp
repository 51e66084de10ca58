#include "KeyboardShortcuts/RecorderEnvironment.h"

#include "KeyboardShortcuts/ModifierFlags.h"

#include <QOperatingSystemVersion>

namespace KeyboardShortcuts {

RecorderEnvironment RecorderEnvironment::current()
{
    const QOperatingSystemVersion system = QOperatingSystemVersion::current();
    return {system.type() == QOperatingSystemVersion::MacOS, system.majorVersion(),
            system.minorVersion(), processIsSandboxed()};
}

bool RecorderEnvironment::processIsSandboxed()
{
    static const bool sandboxed = qEnvironmentVariableIsSet("APP_SANDBOX_CONTAINER_ID");
    return sandboxed;
}

bool RecorderEnvironment::refusesOptionOnlyShortcuts() const
{
    return isMacOS && majorVersion == 15 && minorVersion < 2 && isSandboxed;
}

bool RecorderEnvironment::isRefused(const Shortcut& shortcut) const
{
    constexpr quint64 relevant = EventModifierFlag::function | EventModifierFlag::command |
                                 EventModifierFlag::option | EventModifierFlag::control |
                                 EventModifierFlag::capsLock;
    return refusesOptionOnlyShortcuts() &&
           (shortcut.modifiers() & relevant) == EventModifierFlag::option;
}

} // namespace KeyboardShortcuts
