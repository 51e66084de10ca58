#include "KeyboardShortcuts/PlatformBackend.h"

#include "KeyboardShortcuts/KeyboardShortcuts.h"
#include "KeyboardShortcuts/NullHotKeyBackend.h"
#include "KeyboardShortcuts/X11HotKeyBackend.h"
#include "KeyboardShortcuts/XkbKeyboardLayout.h"

#include <QGuiApplication>

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

} // namespace

PlatformBackend PlatformBackend::create()
{
    PlatformBackend platform;
    auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (application && QGuiApplication::platformName() == QLatin1String("xcb")) {
        auto* x11 = application->nativeInterface<QNativeInterface::QX11Application>();
        // The interface exists on other platforms too, with no connection behind it.
        if (xcb_connection_t* connection = x11 ? x11->connection() : nullptr) {
            platform.hotKeys =
                std::make_unique<X11HotKeyBackend>(connection, displayScreenNumber());
            platform.layout = std::make_unique<XkbKeyboardLayout>(connection);
        }
    }
    if (!platform.hotKeys)
        platform.hotKeys = std::make_unique<NullHotKeyBackend>();
    return platform;
}

void PlatformBackend::install()
{
    PlatformBackend platform = create();
    KeyboardLayout::setCurrent(std::move(platform.layout));
    setBackend(std::move(platform.hotKeys));
}

} // namespace KeyboardShortcuts
