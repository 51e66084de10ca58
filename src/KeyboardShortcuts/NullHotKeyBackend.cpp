#include "KeyboardShortcuts/NullHotKeyBackend.h"

namespace KeyboardShortcuts {

int NullHotKeyBackend::registerHotKey(quint32, const Shortcut&)
{
    return noError;
}

void NullHotKeyBackend::unregisterHotKey(quint32) {}

bool NullHotKeyBackend::isTakenBySystem(const Shortcut&)
{
    return false;
}

} // namespace KeyboardShortcuts
