#pragma once

#include <QLatin1StringView>

// Every key of the preference store, defined once. The owning subsystem reads and writes its
// keys through Preferences; nothing else spells these texts.
namespace PreferenceKeys {

// Text: the prefix of the generated text; the engine's default when absent.
inline constexpr QLatin1StringView savedPrefixText{"savedPrefixText"};
// Text: the suffix of the generated text; the engine's default when absent.
inline constexpr QLatin1StringView savedSuffixText{"savedSuffixText"};
// Bytes: JSON array of remembered projects; absent means no projects.
inline constexpr QLatin1StringView recentFoldersJson{"recentFoldersJson"};
// Bytes: bookmark of the folder reopened at start; absent means nothing is reopened.
inline constexpr QLatin1StringView lastFolderBookmark{"lastFolderBookmark"};
// Bytes: JSON array of the user's custom tags; absent means none.
inline constexpr QLatin1StringView savedCustomTags{"savedCustomTags"};
// Boolean: automatic update checks; true when absent.
inline constexpr QLatin1StringView enableAutomaticChecks{"SUEnableAutomaticChecks"};
// Number: when the update layer last checked automatically (seconds since 2001-01-01 UTC).
inline constexpr QLatin1StringView lastUpdateCheckTime{"SULastCheckTime"};
// Boolean: the scan leaves out what git ignores ("Respect .gitignore"); false when absent.
inline constexpr QLatin1StringView respectGitignore{"respectGitignore"};
// Prefix of the stored shortcut of each shortcut name: text (JSON) or the Boolean false.
inline constexpr QLatin1StringView keyboardShortcutPrefix{"KeyboardShortcuts_"};

} // namespace PreferenceKeys
