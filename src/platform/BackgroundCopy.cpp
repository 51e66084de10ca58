#include "platform/BackgroundCopy.h"

#include <QStandardPaths>

namespace BackgroundCopy {

bool isWaylandSession()
{
    return !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           qEnvironmentVariable("XDG_SESSION_TYPE") == QLatin1String("wayland");
}

QString wlCopyProgram()
{
    return QStandardPaths::findExecutable(QStringLiteral("wl-copy"));
}

Path currentPath()
{
    if (!isWaylandSession())
        return Path::direct;
    return wlCopyProgram().isEmpty() ? Path::clickToCopy : Path::wlCopy;
}

QString description(Path path)
{
    switch (path) {
    case Path::direct:
        return {};
    case Path::wlCopy:
        return QStringLiteral("Copies made from the background go to the clipboard through "
                              "wl-copy.");
    case Path::clickToCopy:
        return QStringLiteral("This desktop takes copies only from the window in front: after "
                              "the shortcut, click \u201CCopy\u201D in the window (or install "
                              "wl-clipboard).");
    }
    return {};
}

} // namespace BackgroundCopy
