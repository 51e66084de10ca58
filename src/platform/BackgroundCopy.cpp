#include "platform/BackgroundCopy.h"

#include <QGuiApplication>
#include <QStandardPaths>
#include <QWindow>

namespace {

// Qt's Wayland platform reads the token from this variable when a window asks for the focus,
// hands it to the compositor (xdg-activation) and removes it.
constexpr char activationTokenVariable[] = "XDG_ACTIVATION_TOKEN";

} // namespace

BackgroundCopy::Path BackgroundCopy::choose(const Conditions& conditions)
{
    if (!conditions.waylandSession || conditions.windowFocused)
        return Path::direct;
    if (conditions.wlCopyFound)
        return Path::wlCopy;
    return conditions.activationToken ? Path::activation : Path::clickToCopy;
}

BackgroundCopy::Conditions BackgroundCopy::currentConditions(bool activationToken)
{
    const bool wayland = isWaylandSession();
    return {wayland, QGuiApplication::focusWindow() != nullptr,
            wayland && !wlCopyProgram().isEmpty(), activationToken};
}

bool BackgroundCopy::isWaylandSession()
{
    return !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           qEnvironmentVariable("XDG_SESSION_TYPE") == QLatin1String("wayland");
}

QString BackgroundCopy::wlCopyProgram()
{
    return QStandardPaths::findExecutable(QStringLiteral("wl-copy"));
}

BackgroundCopy::Path BackgroundCopy::currentPath(bool desktopSendsTokens)
{
    Conditions conditions = currentConditions(desktopSendsTokens);
    // The settings speak of copies made while the window is in the back.
    conditions.windowFocused = false;
    return choose(conditions);
}

QString BackgroundCopy::description(Path path)
{
    switch (path) {
    case Path::direct:
        return {};
    case Path::wlCopy:
        return tr("Copies made from the background go to the clipboard through wl-copy.");
    case Path::activation:
        return tr("This desktop takes copies only from the window in front: the shortcut brings "
                  "the window to the front and copies there.");
    case Path::clickToCopy:
        return tr("This desktop takes copies only from the window in front: after the shortcut, "
                  "click \u201CCopy\u201D in the window (or install wl-clipboard).");
    }
    return {};
}

BackgroundCopy::BackgroundCopy(QObject* parent)
    : QObject(parent)
{
    m_focusTimer.setSingleShot(true);
    m_focusTimer.setInterval(defaultFocusTimeout);
    connect(&m_focusTimer, &QTimer::timeout, this, [this] {
        m_path = Path::clickToCopy;
        Q_EMIT clickNeeded();
    });
    if (auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        connect(application, &QGuiApplication::focusWindowChanged, this,
                &BackgroundCopy::focusChanged);
    }
}

void BackgroundCopy::start(QWindow* window, const QString& activationToken)
{
    m_focusTimer.stop();
    m_path = choose(currentConditions(!activationToken.isEmpty()));
    switch (m_path) {
    case Path::direct:
    case Path::wlCopy:
        Q_EMIT copyNow();
        return;
    case Path::clickToCopy:
        Q_EMIT clickNeeded();
        return;
    case Path::activation:
        break;
    }
    m_focusTimer.start();
    qputenv(activationTokenVariable, activationToken.toUtf8());
    if (window)
        window->requestActivate();
    // Read while the request is made; a token left behind would go to every program started
    // later.
    qunsetenv(activationTokenVariable);
}

void BackgroundCopy::focusChanged(QWindow* focus)
{
    if (!focus || !m_focusTimer.isActive())
        return;
    m_focusTimer.stop();
    Q_EMIT copyNow();
}
