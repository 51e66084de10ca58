#include "KeyboardShortcuts/Key.h"

namespace KeyboardShortcuts {

std::span<const NamedKey> namedKeys()
{
#define KEYBOARDSHORTCUTS_KEY_ROW(name, code) NamedKey{QLatin1StringView(#name), Key::name},
    static const NamedKey table[] = {KEYBOARDSHORTCUTS_NAMED_KEYS(KEYBOARDSHORTCUTS_KEY_ROW)};
#undef KEYBOARDSHORTCUTS_KEY_ROW
    return table;
}

} // namespace KeyboardShortcuts
