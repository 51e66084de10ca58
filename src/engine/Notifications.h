#pragma once

#include <QLatin1StringView>

// Names of the in-process notifications posted on NotificationCenter::defaultCenter(), defined
// once so that the poster and the observers spell them alike.
namespace Notifications {

// Posted when the global shortcut is released. The work view of the main tab observes it while
// it exists and answers by generating and copying the open project's text, so the shortcut does
// nothing while the project library is shown. User info "activationToken" holds the token the
// desktop sent with the shortcut, when it sent one.
inline constexpr QLatin1StringView triggerGenerateFromShortcut{"triggerGenerateFromShortcut"};
inline constexpr QLatin1StringView activationTokenUserInfoKey{"activationToken"};

} // namespace Notifications
