#include "KeyboardShortcuts/PlatformBackend.h"

#include "KeyboardShortcuts/KeyboardShortcuts.h"
#include "KeyboardShortcuts/NullHotKeyBackend.h"
#include "KeyboardShortcuts/PortalHotKeyBackend.h"
#include "KeyboardShortcuts/X11HotKeyBackend.h"
#include "KeyboardShortcuts/XkbKeyboardLayout.h"

#include "platform/BackgroundCopy.h"

#include <QGuiApplication>
#include <QLoggingCategory>

#include <cstdlib>

namespace KeyboardShortcuts {

namespace {

// The screen of the DISPLAY variable, the one Qt connects to.
int displayScreenNumber()
{
    int screen = 0;
    char* host = nullptr;
    int display = 0;
    if (xcb_parse_display(nullptr, &host, &display, &screen) == 0)
        return 0;
    std::free(host);
    return screen;
}

Q_LOGGING_CATEGORY(shortcutLog, "codeplexor.shortcut")

} // namespace

PlatformBackend PlatformBackend::create()
{
    PlatformBackend platform;
    auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    const bool wayland = BackgroundCopy::isWaylandSession();
    if (wayland && PortalHotKeyBackend::isOffered(QDBusConnection::sessionBus()))
        platform.hotKeys = std::make_unique<PortalHotKeyBackend>();
    if (application && QGuiApplication::platformName() == QLatin1String("xcb")) {
        auto* x11 = application->nativeInterface<QNativeInterface::QX11Application>();
        // The interface exists on other platforms too, with no connection behind it.
        if (xcb_connection_t* connection = x11 ? x11->connection() : nullptr) {
            // Under XWayland an X11 grab sees keys only while an X11 window has the focus: the
            // portal comes first there. The keymap serves the key names either way.
            if (!platform.hotKeys) {
                platform.hotKeys =
                    std::make_unique<X11HotKeyBackend>(connection, displayScreenNumber());
            }
            platform.layout = std::make_unique<XkbKeyboardLayout>(connection);
        }
    }
    if (!platform.hotKeys) {
        platform.hotKeys = std::make_unique<NullHotKeyBackend>(
            wayland ? QStringLiteral("This desktop does not offer global shortcuts to "
                                     "applications.")
                    : QString());
    }
    return platform;
}

void PlatformBackend::install()
{
    PlatformBackend platform = create();
    qCInfo(shortcutLog, "Global shortcuts: %s", platform.hotKeys->metaObject()->className());
    KeyboardLayout::setCurrent(std::move(platform.layout));
    setBackend(std::move(platform.hotKeys));
}

} // namespace KeyboardShortcuts
